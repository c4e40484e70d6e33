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

// Vertex k (profile point k % profileCount in column k / profileCount) lives at
// rows[k % profileCount][k / profileCount]; there is no separate vertex array.
struct RevolutionMesh {
    Point3 **rows;           // profileCount rows of segmentCount points
    MeshEdge *edges;         // profile edges, circle edges, diagonals
    MeshTriangle *triangles; // two per grid quad, column by column
    int profileCount;        // P
    int segmentCount;        // S
    int edgeCount;           // P*S + (2P-2)*S
    int gridEdgeCount;       // P*S + (P-1)*S: profile and circle edges only
    int triangleCount;       // (2P-2)*S
};

const int MESH_WIRE = 0;
const int MESH_SOLID = 1;
const int MESH_GRID_AND_SOLID = 2;

const int CYLINDER_PROFILE_POINTS = 4;
const int CYLINDER_SEGMENTS = 200;

extern RevolutionMesh unitCylinder;                     // radius 0.5, height 1, on the origin
extern Point3 cylinderProfile[CYLINDER_PROFILE_POINTS]; // written once by buildUnitCylinder

// Allocates the four kinds of heap blocks; only rows, edges and triangles are set.
// Prints the memory error and exits with status 1 if any allocation fails.
RevolutionMesh allocateMesh(int profileCount, int segmentCount);

// Revolves profile about axis ('x', 'y' or 'z', either case) in segmentCount steps of
// 6.28318 / segmentCount radians. Arguments are not checked.
RevolutionMesh buildRevolutionMesh(const Point3 *profile, int profileCount, int segmentCount,
                                   char axis);

// Called once by start-up, before the block file is read.
void buildUnitCylinder();

// Releases edges, triangles, rows 0..rowCount-1 and the row array, in that order.
void freeMesh(RevolutionMesh mesh, int rowCount);

// u x w in float. Inline: it runs for every triangle of every frame.
inline Point3 crossProduct(Point3 u, Point3 w) {
    return {u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
}

// Sends the mesh in immediate mode in the current modelview; other modes draw nothing.
void drawMesh(RevolutionMesh mesh, int mode);

#endif
