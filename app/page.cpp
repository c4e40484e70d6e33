// The page's entry point besides main (the page's runtime calls main with the sample file):
// what its file chooser calls. Exported by name from the page's build.
#include "app/app.h"

// A block file the page has written into its file system.
extern "C" void pageLoadBlockFile(const char *name) {
    restartOn(name);
}
