// Immediate-mode drawing of a revolution mesh.
#include "geometry/mesh.h"

#include "platform/platform.h"

static inline const Point3 &vertexAt(const RevolutionMesh &mesh, int k) {
    return mesh.rows[k % mesh.profileCount][k / mesh.profileCount];
}

static void drawEdges(const RevolutionMesh &mesh, int count) {
    glLineWidth(1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_LINES);
    for (int e = 0; e < count; e++) {
        const Point3 &a = vertexAt(mesh, mesh.edges[e].first);
        const Point3 &b = vertexAt(mesh, mesh.edges[e].second);
        glVertex3f(a.x, a.y, a.z);
        glVertex3f(b.x, b.y, b.z);
    }
    glEnd();
}

static void drawTriangles(const RevolutionMesh &mesh) {
    glEnable(GL_NORMALIZE);
    for (int t = 0; t < mesh.triangleCount; t++) {
        const MeshTriangle &tri = mesh.triangles[t];
        const Point3 &v0 = vertexAt(mesh, tri.v[0]);
        const Point3 &v1 = vertexAt(mesh, tri.v[1]);
        const Point3 &v2 = vertexAt(mesh, tri.v[2]);
        Point3 u = {v1.x - v0.x, v1.y - v0.y, v1.z - v0.z};
        Point3 w = {v2.x - v0.x, v2.y - v0.y, v2.z - v0.z};
        // The builder winds the two triangles of a quad oppositely; parity evens it out.
        Point3 n = (t % 2 == 1) ? crossProduct(u, w) : crossProduct(w, u);
        glBegin(GL_TRIANGLES);
        glNormal3f(n.x, n.y, n.z);
        glVertex3f(v0.x, v0.y, v0.z);
        glVertex3f(v1.x, v1.y, v1.z);
        glVertex3f(v2.x, v2.y, v2.z);
        glEnd();
    }
}

void drawMesh(RevolutionMesh mesh, int mode) {
    switch (mode) {
    case MESH_WIRE:
        drawEdges(mesh, mesh.edgeCount);
        break;
    case MESH_SOLID:
        drawTriangles(mesh);
        break;
    case MESH_GRID_AND_SOLID:
        drawEdges(mesh, mesh.gridEdgeCount);
        drawTriangles(mesh);
        break;
    default:
        break;
    }
}
