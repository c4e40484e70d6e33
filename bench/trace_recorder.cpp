// vinca_gl_trace BLOCKFILE OUT: sets up the start-up state on BLOCKFILE and writes the
// OpenGL calls of one display pass of the old immediate-mode drawing (immediate_scene.cpp) to
// OUT. The entry points below stand in front of the real ones (found with RTLD_NEXT) in this
// executable only; they are every GL and GLUT drawing entry point that pass reaches, so the
// benchmark itself calls the library directly.
#include "frame_trace.h"
#include "immediate_scene.h"

#include "app/app.h"
#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include "platform/platform.h"
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>

namespace {

FrameTrace trace;
bool tracing = false;

template <typename F> F realEntry(const char *name) {
    void *p = dlsym(RTLD_NEXT, name);
    if (p == nullptr) {
        std::fprintf(stderr, "vinca_gl_trace: no %s to forward to\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(p);
}

void record(TraceOp op, std::initializer_list<float> floats, std::initializer_list<GLenum> enums) {
    if (!tracing) {
        return;
    }
    trace.ops.push_back(op);
    trace.floats.insert(trace.floats.end(), floats.begin(), floats.end());
    trace.enums.insert(trace.enums.end(), enums.begin(), enums.end());
}

// Every pname the program passes (material colour, light colours and positions) has four
// components.
void recordVector(TraceOp op, GLenum target, GLenum pname, const GLfloat *v) {
    record(op, {v[0], v[1], v[2], v[3]}, {target, pname});
}

} // namespace

#define REAL(name, type) static const auto real = realEntry<type>(#name)

extern "C" {

void GLAPIENTRY glBegin(GLenum mode) {
    REAL(glBegin, void (*)(GLenum));
    record(OP_BEGIN, {}, {mode});
    real(mode);
}

void GLAPIENTRY glEnd() {
    REAL(glEnd, void (*)());
    record(OP_END, {}, {});
    real();
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    REAL(glVertex3f, void (*)(GLfloat, GLfloat, GLfloat));
    record(OP_VERTEX, {x, y, z}, {});
    real(x, y, z);
}

void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    REAL(glNormal3f, void (*)(GLfloat, GLfloat, GLfloat));
    record(OP_NORMAL, {x, y, z}, {});
    real(x, y, z);
}

void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    REAL(glColor3f, void (*)(GLfloat, GLfloat, GLfloat));
    record(OP_COLOR, {r, g, b}, {});
    real(r, g, b);
}

void GLAPIENTRY glEnable(GLenum cap) {
    REAL(glEnable, void (*)(GLenum));
    record(OP_ENABLE, {}, {cap});
    real(cap);
}

void GLAPIENTRY glLineWidth(GLfloat width) {
    REAL(glLineWidth, void (*)(GLfloat));
    record(OP_LINE_WIDTH, {width}, {});
    real(width);
}

void GLAPIENTRY glMaterialfv(GLenum face, GLenum pname, const GLfloat *params) {
    REAL(glMaterialfv, void (*)(GLenum, GLenum, const GLfloat *));
    recordVector(OP_MATERIAL, face, pname, params);
    real(face, pname, params);
}

void GLAPIENTRY glLightfv(GLenum light, GLenum pname, const GLfloat *params) {
    REAL(glLightfv, void (*)(GLenum, GLenum, const GLfloat *));
    recordVector(OP_LIGHT, light, pname, params);
    real(light, pname, params);
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    REAL(glMatrixMode, void (*)(GLenum));
    record(OP_MATRIX_MODE, {}, {mode});
    real(mode);
}

void GLAPIENTRY glPushMatrix() {
    REAL(glPushMatrix, void (*)());
    record(OP_PUSH_MATRIX, {}, {});
    real();
}

void GLAPIENTRY glPopMatrix() {
    REAL(glPopMatrix, void (*)());
    record(OP_POP_MATRIX, {}, {});
    real();
}

void GLAPIENTRY glLoadIdentity() {
    REAL(glLoadIdentity, void (*)());
    record(OP_LOAD_IDENTITY, {}, {});
    real();
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    REAL(glTranslatef, void (*)(GLfloat, GLfloat, GLfloat));
    record(OP_TRANSLATE, {x, y, z}, {});
    real(x, y, z);
}

void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    REAL(glRotatef, void (*)(GLfloat, GLfloat, GLfloat, GLfloat));
    record(OP_ROTATE, {angle, x, y, z}, {});
    real(angle, x, y, z);
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    REAL(glScalef, void (*)(GLfloat, GLfloat, GLfloat));
    record(OP_SCALE, {x, y, z}, {});
    real(x, y, z);
}

void GLAPIENTRY glClear(GLbitfield mask) {
    REAL(glClear, void (*)(GLbitfield));
    record(OP_CLEAR, {}, {mask});
    real(mask);
}

void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    REAL(glClearColor, void (*)(GLclampf, GLclampf, GLclampf, GLclampf));
    record(OP_CLEAR_COLOR, {r, g, b, a}, {});
    real(r, g, b, a);
}

void GLAPIENTRY glFlush() {
    REAL(glFlush, void (*)());
    record(OP_FLUSH, {}, {});
    real();
}

void FGAPIENTRY glutSwapBuffers() {
    REAL(glutSwapBuffers, void (*)());
    record(OP_SWAP, {}, {});
    real();
}

} // extern "C"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vinca_gl_trace BLOCKFILE OUT\n");
        return 2;
    }
    std::FILE *file = std::fopen(argv[1], "r");
    if (file == nullptr) {
        std::fprintf(stderr, "vinca_gl_trace: cannot open %s\n", argv[1]);
        return 2;
    }
    // The start-up of the program, in its order, without the banner and the callbacks.
    setCameraDefaults();
    int glutArgc = 1;
    char *glutArgv[] = {argv[0], nullptr};
    glutInit(&glutArgc, glutArgv);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("vinca trace");
    initProjection();
    reshape(windowWidth, windowHeight);
    buildUnitCylinder();
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    readBlockFile(file);
    std::fclose(file);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);

    tracing = true;
    immediateDisplay();
    tracing = false;
    if (!writeTrace(argv[2], trace)) {
        std::fprintf(stderr, "vinca_gl_trace: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
