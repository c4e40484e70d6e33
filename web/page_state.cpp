// Run by the build, under node: what the page shows before the program has started, written
// into it so that nothing moves when the program starts: the key table and the sample's
// blocks, as the running program's pageKeys and pageScene give them; and the attributes of
// the GL context that GLUT makes for the window, so that the page can make it early.
// page_state.js SAMPLE OUTPUT writes {"keys":[...],"scene":{...},"context":{...}}.
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
    // As the browser's GLUT asks for them, over its own defaults (no alpha, no antialiasing).
    auto has = [](unsigned int bit) { return (WINDOW_DISPLAY_MODE & bit) != 0 ? "true" : "false"; };
    std::fprintf(out,
                 "{\"keys\":%s,\"scene\":%s,\"context\":{\"alpha\":%s,\"depth\":%s,"
                 "\"stencil\":%s,\"antialias\":%s}}",
                 pageKeys(), pageScene(), has(GLUT_ALPHA), has(GLUT_DEPTH), has(GLUT_STENCIL),
                 has(GLUT_MULTISAMPLE));
    return std::fclose(out) == 0 ? 0 : 1;
}
