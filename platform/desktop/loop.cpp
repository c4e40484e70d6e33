// The frame loop on a desktop: GLUT's idle callback and main loop.
#include "platform/platform.h"

#include "platform/desktop/native_window.h"

#include <cstdlib>

void setIdleStep(void (*step)()) {
    glutIdleFunc(step);
}

void runMainLoop() {
    syncSwapsToDisplay();
    endWithWindow();
    glutMainLoop();
}

void quitProgram(int status) {
    std::exit(status);
}
