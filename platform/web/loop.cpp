// The frame loop in a page: one idle step per displayed frame, as on a desktop that swaps
// with the display's refresh. GLUT's own idle callback would run on a 4 ms timer instead.
#include "platform/platform.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>

static void (*idleStep)() = nullptr;

void setIdleStep(void (*step)()) {
    idleStep = step;
}

void (*installedIdleStep())() {
    return idleStep;
}

// The step's own redisplay request draws the frame in the next animation frame.
static void frame() {
    if (idleStep != nullptr) {
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
// stops instead, the page says so and may start the program again on another file, which
// installs its display callback anew.
void quitProgram(int status) {
    idleStep = nullptr;
    // A redisplay already asked for must not draw what the program has released.
    glutDisplayFunc(drawNothing);
    // The page's callback (platform/web/page.h).
    EM_ASM(
        {
            if (Module['onQuit']) {
                Module['onQuit']($0);
            }
        },
        status);
    emscripten_unwind_to_js_event_loop();
}
