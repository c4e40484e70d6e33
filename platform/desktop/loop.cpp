// The frame loop on a desktop: GLUT's idle callback and main loop.
#include "platform/platform.h"

#include "platform/desktop/native_window.h"

#include <cstdlib>

static void (*idleStep)() = nullptr;

void setIdleStep(void (*step)()) {
    idleStep = step;
    glutIdleFunc(step);
}

void (*installedIdleStep())() {
    return idleStep;
}

void runMainLoop() {
    syncSwapsToDisplay();
    endWithWindow();
    glutMainLoop();
}

void quitProgram(int status) {
    std::exit(status);
}
