// The frame loop on a desktop: GLUT's idle callback and main loop.
#include "platform/platform.h"

#include <cstdlib>

void setIdleStep(void (*step)()) {
    glutIdleFunc(step);
}

void runMainLoop() {
    glutMainLoop();
}

void quitProgram(int status) {
    std::exit(status);
}
