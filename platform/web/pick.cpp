// Picking in a page: WebGL has no selection mode, and the page's GL library leaves out its
// entry points. The program links them all the same (its desktop picker) but never calls
// them here: the stand-ins below only let the one program link in a page.
#include "platform/platform.h"

bool hasSelectionMode() {
    return false;
}

GLint glRenderMode(GLenum) {
    return 0;
}

void glSelectBuffer(GLsizei, GLuint *) {}

void glInitNames() {}

void glLoadName(GLuint) {}

void glPushName(GLuint) {}

void gluPickMatrix(GLdouble, GLdouble, GLdouble, GLdouble, GLint *) {}
