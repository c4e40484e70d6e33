// The page's entry points besides main (the page's runtime calls main with the sample file):
// what its file chooser, its on-screen keys and its fitting of the canvas call. Exported by
// name from the page's build.
#include "app/app.h"

#include "platform/platform.h"

// A block file the page has written into its file system.
extern "C" void pageLoadBlockFile(const char *name) {
    restartOn(name);
}

// The most of a chosen file worth copying into the page: what start-up reads, and one byte
// more that tells it there is more.
extern "C" unsigned long pageBlockFileBytes() {
    return BLOCK_FILE_LIMIT + 1;
}

// An on-screen key: what GLUT hands the keyboard callback for that key. The pointer's
// position is not used.
extern "C" void pageKey(int key) {
    keyboard(static_cast<unsigned char>(key), 0, 0);
}

// The canvas's drawing buffer, in device pixels, as the page has fitted it to the window:
// GLUT sizes the buffer and hands the program's reshape the new size.
extern "C" void pageResize(int width, int height) {
    glutReshapeWindow(width, height);
}
