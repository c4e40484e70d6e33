// Surface-of-revolution mesh: the one cylinder every round piece of the scene is drawn from.
#ifndef VINCA_MESH_H
#define VINCA_MESH_H

#include "common/common.h"

struct MeshEdge {
    int first, second; // vertex indices
};

struct MeshTriangle {
    int v[3]; // vertex indices in drawing order
};

// One vertex of a lit surface as the vertex arrays hold it: the normal in force at it (as
// immediate mode would have it), then its position.
struct LitVertex {
    Point3 normal;
    Point3 position;
};

// Vertex k (profile point k % profileCount in column k / profileCount) lives at
// rows[k % profileCount][k / profileCount] and, for drawing, at vertices[k].
struct RevolutionMesh {
    Point3 **rows;              // profileCount rows of segmentCount points
    MeshEdge *edges;            // profile edges, circle edges, diagonals
    MeshTriangle *triangles;    // two per grid quad, column by column
    Point3 *vertices;           // P*S points in index order: what the edges index
    LitVertex *litVertices;     // each distinct (face normal, position) pair of the triangles
    unsigned short *litIndices; // 3 per triangle in drawing order, into litVertices; null
                                // when there are too many for 16 bits: draw litVertices whole
    int litVertexCount;
    int profileCount;  // P
    int segmentCount;  // S
    int edgeCount;     // P*S + (2P-2)*S
    int gridEdgeCount; // P*S + (P-1)*S: profile and circle edges only
    int triangleCount; // (2P-2)*S
};

const int MAX_MESH_INDEX = 65535; // litIndices are 16-bit

// Packs the count vertices of lit down to the first copy of each bit-identical one, in order,
// and writes each vertex's index among those kept to indices; returns how many are kept. With
// more distinct vertices than 16-bit indices name, leaves lit as it is and returns -1.
int mergeEqualVertices(LitVertex *lit, int count, unsigned short *indices);

const int MESH_WIRE = 0;
const int MESH_SOLID = 1;
const int MESH_GRID_AND_SOLID = 2;

const int CYLINDER_PROFILE_POINTS = 4;
const int CYLINDER_SEGMENTS = 200;

extern RevolutionMesh unitCylinder;                     // radius 0.5, height 1, on the origin
extern Point3 cylinderProfile[CYLINDER_PROFILE_POINTS]; // written by buildUnitCylinder

// Allocates the seven kinds of heap blocks and sets their pointers only; contents and counts
// are buildRevolutionMesh's.
// Prints the memory error and exits with status 1 if any allocation fails.
RevolutionMesh allocateMesh(int profileCount, int segmentCount);

// Revolves profile about axis ('x', 'y' or 'z', either case) in segmentCount steps of
// 6.28318 / segmentCount radians. Arguments are not checked.
RevolutionMesh buildRevolutionMesh(const Point3 *profile, int profileCount, int segmentCount,
                                   char axis);

// Called by start-up once the window exists, and by a restart after the ordinary exit
// released the mesh.
void buildUnitCylinder();

// Releases the drawing arrays, edges, triangles, rows 0..rowCount-1 and the row array, in
// that order. The caller's copy keeps its pointers: it must not be drawn again.
void freeMesh(RevolutionMesh mesh, int rowCount);

// u x w in float.
inline Point3 crossProduct(Point3 u, Point3 w) {
    return {u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
}

// Draws the mesh from its vertex arrays in the current modelview; other modes draw nothing.
void drawMesh(RevolutionMesh mesh, int mode);

// Every shape is drawn from vertex arrays (OpenGL 1.1): the scene's through these two, from
// client memory, and a mesh with litIndices by drawMesh, from the arrays the platform binds
// for it (bindMeshArrays). No vertex goes through glBegin/glEnd, whose vertices the GL_SELECT
// pass of some drivers never frees. All leave the client array state disabled, as they found
// it.

// GL_TRIANGLES from count vertices (or, with indices, from count indices into vertices), each
// with its own normal; the last one becomes the current normal, as in immediate mode, since
// the axes are lit with whatever normal was current. That normal is the program's, not GL's.
void drawLitTriangles(const LitVertex *vertices, int count,
                      const unsigned short *indices = nullptr);

// GL_LINES from count vertices (or, with indices, from count indices into vertices), lit with
// the current normal (drawLitTriangles).
void drawLines(const Point3 *vertices, int count, const unsigned int *indices = nullptr);

// A GL_QUAD_STRIP of count vertices as the triangles GL (Mesa) splits it into: the same
// diagonals and vertex order, so the picture and its feedback stay those of the strip. Writes
// 3 * (count - 2) vertices to out and returns that count.
int quadStripToTriangles(const LitVertex *strip, int count, LitVertex *out);

// One GL_QUADS quad as its two triangles, in the same way: writes 6 vertices, returns 6.
int quadToTriangles(const LitVertex *quad, LitVertex *out);

#endif
