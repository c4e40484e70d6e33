// vinca_mesh_cost: the program's own work in drawMesh(unitCylinder, MESH_SOLID), with the
// OpenGL entry points it calls replaced in this executable by functions that only keep
// their arguments. What is left is the index lookups, differences, cross products and
// calls: the part of a display pass that the floor does not have. Timed on the thread's
// CPU clock, so other processes on the machine disturb it little.
#include "geometry/mesh.h"

#include "platform/platform.h"
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

volatile float sink;
volatile unsigned sinkEnum;

double threadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

} // namespace

extern "C" {

__attribute__((noinline)) void GLAPIENTRY glBegin(GLenum mode) {
    sinkEnum = mode;
}

__attribute__((noinline)) void GLAPIENTRY glEnd() {
    sinkEnum = 0;
}

__attribute__((noinline)) void GLAPIENTRY glEnable(GLenum cap) {
    sinkEnum = cap;
}

__attribute__((noinline)) void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    sink = x + y + z;
}

__attribute__((noinline)) void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    sink = x + y + z;
}

__attribute__((noinline)) void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    sink = r + g + b;
}

__attribute__((noinline)) void GLAPIENTRY glLineWidth(GLfloat width) {
    sink = width;
}

} // extern "C"

int main() {
    buildUnitCylinder();
    const int draws = 21; // the cylinders of one display pass on data/blocks.txt
    std::vector<double> perTriangle;
    for (int rep = 0; rep < 2000; rep++) {
        double t0 = threadCpuNs();
        for (int i = 0; i < draws; i++) {
            drawMesh(unitCylinder, MESH_SOLID);
        }
        perTriangle.push_back((threadCpuNs() - t0) / (draws * unitCylinder.triangleCount));
    }
    std::sort(perTriangle.begin(), perTriangle.end());
    double median = perTriangle[perTriangle.size() / 2];
    std::printf("drawMesh(unitCylinder, MESH_SOLID) without OpenGL: median %.2f ns per "
                "triangle (p10 %.2f, p90 %.2f), %.3f ms per display pass of %d cylinders\n",
                median, perTriangle[perTriangle.size() / 10],
                perTriangle[perTriangle.size() * 9 / 10],
                median * draws * unitCylinder.triangleCount / 1e6, draws);
    freeMesh(unitCylinder, CYLINDER_PROFILE_POINTS);
    return 0;
}
