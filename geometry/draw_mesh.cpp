// Drawing from vertex arrays: revolution meshes and the shapes of the scene.
#include "geometry/mesh.h"

#include "platform/platform.h"

static_assert(sizeof(Point3) == 3 * sizeof(GLfloat), "Point3 is read as three packed floats");
static_assert(sizeof(MeshEdge) == 2 * sizeof(GLuint), "edges are read as index pairs");
static_assert(sizeof(unsigned short) == sizeof(GLushort), "mesh indices are GLushort");

void drawLitTriangles(const LitVertex *vertices, int count, const unsigned short *indices) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(LitVertex), &vertices[0].normal);
    glVertexPointer(3, GL_FLOAT, sizeof(LitVertex), &vertices[0].position);
    if (indices != nullptr) {
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, indices);
    } else {
        glDrawArrays(GL_TRIANGLES, 0, count);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    const Point3 &last = vertices[indices != nullptr ? indices[count - 1] : count - 1].normal;
    glNormal3f(last.x, last.y, last.z);
}

void drawLines(const Point3 *vertices, int count, const unsigned int *indices) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    if (indices != nullptr) {
        glDrawElements(GL_LINES, count, GL_UNSIGNED_INT, indices);
    } else {
        glDrawArrays(GL_LINES, 0, count);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

int quadToTriangles(const LitVertex *q, LitVertex *out) {
    const int order[6] = {0, 1, 3, 1, 2, 3};
    for (int i = 0; i < 6; i++) {
        out[i] = q[order[i]];
    }
    return 6;
}

int quadStripToTriangles(const LitVertex *strip, int count, LitVertex *out) {
    int n = 0;
    for (int i = 0; i + 3 < count; i += 2) {
        const int order[6] = {i + 2, i, i + 3, i, i + 1, i + 3};
        for (int k : order) {
            out[n++] = strip[k];
        }
    }
    return n;
}

static void drawEdges(const RevolutionMesh &mesh, int count) {
    glLineWidth(1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    drawLines(mesh.vertices, 2 * count, reinterpret_cast<const unsigned int *>(mesh.edges));
}

static void drawTriangles(const RevolutionMesh &mesh) {
    glEnable(GL_NORMALIZE);
    drawLitTriangles(mesh.litVertices, 3 * mesh.triangleCount, mesh.litIndices);
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
