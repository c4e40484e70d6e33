// The frame loop in a page: one idle step per displayed frame, as on a desktop that swaps
// with the display's refresh. GLUT's own idle callback would run on a 4 ms timer instead.
// Also the page's way to start again on another block file.
#include "platform/platform.h"

#include "app/app.h"
#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include <cstdio>
#include <emscripten.h>
#include <emscripten/eventloop.h>

static void (*idleStep)() = nullptr;
static bool stopped = false;
static std::FILE *readingFile = nullptr; // open while the reader runs; a fatal error leaves it
static bool meshReleased = false;        // by the ordinary exit, the only end with status 0

void setIdleStep(void (*step)()) {
    idleStep = step;
}

// The step's own redisplay request draws the frame in the next animation frame.
static void frame() {
    if (idleStep != nullptr && !stopped) {
        idleStep();
    }
}

void runMainLoop() {
    // What GLUT's main loop does first: a reshape to the canvas and a redisplay.
    glutReshapeWindow(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    emscripten_set_main_loop(frame, 0, 1);
}

static void drawNothing() {}

// exit() inside a callback would leave the page running, half torn down: the simulation
// stops instead, the page says so and may start again on another file.
void quitProgram(int status) {
    stopped = true;
    idleStep = nullptr;
    // A redisplay already asked for must not draw the mesh the ordinary exit released.
    glutDisplayFunc(drawNothing);
    meshReleased = meshReleased || status == 0;
    EM_ASM(
        {
            if (Module['onQuit']) {
                Module['onQuit']($0);
            }
        },
        status);
    emscripten_unwind_to_js_event_loop();
}

// Called by the page with a block file it has written into the file system: the scene as
// at start-up on that file, crane at rest, blocks as read, block-collection mode.
extern "C" EMSCRIPTEN_KEEPALIVE void pageLoadBlockFile(const char *name) {
    if (readingFile != nullptr) {
        std::fclose(readingFile);
        readingFile = nullptr;
    }
    std::FILE *file = openBlockFile(name);
    if (file == nullptr) {
        consolePrint("\nError al arbir fichero %s\n", name);
        quitProgram(1);
    }
    if (meshReleased) { // drawing from the released mesh would read freed memory
        meshReleased = false;
        buildUnitCylinder();
    }
    stopped = false;
    idleStep = nullptr;
    blockCount = 0;
    manualMode = 0;
    readyForOrder = 1;
    heldBlock = -1;
    targetBlock = -1;
    setCameraDefaults();
    readingFile = file;
    loadBlockFile(file);
    readingFile = nullptr;
    std::fclose(file);
    glutDisplayFunc(display);
    glutPostRedisplay();
}
