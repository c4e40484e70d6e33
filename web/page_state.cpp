// Run by the build, under node: what the page shows before the program has started, written
// into it so that nothing moves when the program starts: the key table and the sample's
// blocks, as the running program's pageKeys and pageScene give them.
// page_state.js SAMPLE OUTPUT writes {"keys":[...],"scene":{...}}.
#include "app/app.h"

#include "platform/web/page.h"
#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        return 1;
    }
    std::FILE *sample = openBlockFileOrQuit(argv[1]);
    loadBlockFile(sample);
    std::fclose(sample);
    std::FILE *out = std::fopen(argv[2], "w");
    if (out == nullptr) {
        return 1;
    }
    std::fprintf(out, "{\"keys\":%s,\"scene\":%s}", pageKeys(), pageScene());
    return std::fclose(out) == 0 ? 0 : 1;
}
