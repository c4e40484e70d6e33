// vinca_mesh_cost: the program's own work in drawMesh(unitCylinder, MESH_SOLID), with the
// OpenGL entry points it calls replaced in this executable by functions that only keep
// their arguments. Since the mesh is drawn from arrays built once, what is left is a handful
// of calls per cylinder. Timed on the thread's CPU clock, so other processes on the machine
// disturb it little.
#include "geometry/mesh.h"

#include "platform/platform.h"
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

volatile float sink;
volatile unsigned sinkEnum;
const void *volatile sinkPointer;

double threadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

} // namespace

extern "C" {

__attribute__((noinline)) void GLAPIENTRY glEnable(GLenum cap) {
    sinkEnum = cap;
}

__attribute__((noinline)) void GLAPIENTRY glEnableClientState(GLenum array) {
    sinkEnum = array;
}

__attribute__((noinline)) void GLAPIENTRY glDisableClientState(GLenum array) {
    sinkEnum = array;
}

__attribute__((noinline)) void GLAPIENTRY glVertexPointer(GLint size, GLenum type, GLsizei stride,
                                                          const void *pointer) {
    sinkEnum = size + type + stride;
    sinkPointer = pointer;
}

__attribute__((noinline)) void GLAPIENTRY glNormalPointer(GLenum type, GLsizei stride,
                                                          const void *pointer) {
    sinkEnum = type + stride;
    sinkPointer = pointer;
}

__attribute__((noinline)) void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    sinkEnum = mode + first + count;
}

__attribute__((noinline)) void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type,
                                                         const void *indices) {
    sinkEnum = mode + count + type;
    sinkPointer = indices;
}

__attribute__((noinline)) void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    sink = x + y + z;
}

} // extern "C"

int main() {
    buildUnitCylinder();
    const int draws = 21; // the cylinders of one display pass on data/blocks.txt
    std::vector<double> perTriangle, perDraw;
    for (int rep = 0; rep < 2000; rep++) {
        double t0 = threadCpuNs();
        for (int i = 0; i < draws; i++) {
            drawMesh(unitCylinder, MESH_SOLID);
        }
        double ns = threadCpuNs() - t0;
        perTriangle.push_back(ns / (draws * unitCylinder.triangleCount));
        perDraw.push_back(ns / draws);
    }
    std::sort(perTriangle.begin(), perTriangle.end());
    std::sort(perDraw.begin(), perDraw.end());
    double median = perTriangle[perTriangle.size() / 2];
    std::printf("drawMesh(unitCylinder, MESH_SOLID) without OpenGL: median %.1f ns per "
                "call (p10 %.1f, p90 %.1f), %.3f ns per triangle, %.4f ms per display pass of %d "
                "cylinders\n",
                perDraw[perDraw.size() / 2], perDraw[perDraw.size() / 10],
                perDraw[perDraw.size() * 9 / 10], median,
                median * draws * unitCylinder.triangleCount / 1e6, draws);
    freeMesh(unitCylinder, CYLINDER_PROFILE_POINTS);
    return 0;
}
