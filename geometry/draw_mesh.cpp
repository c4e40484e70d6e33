// Drawing from vertex arrays: revolution meshes and the shapes of the scene.
#include "geometry/mesh.h"

#include "platform/platform.h"

#include <cstddef>

static_assert(sizeof(Point3) == 3 * sizeof(GLfloat), "Point3 is read as three packed floats");
static_assert(sizeof(MeshEdge) == 2 * sizeof(GLuint), "edges are read as index pairs");
static_assert(sizeof(unsigned short) == sizeof(GLushort), "mesh indices are GLushort");

// The normal immediate mode would have left current: the last one drawn, GL's initial
// (0, 0, 1) before any. It is kept here, not in GL, and lines carry it in a normal array of
// their own: the browser's GL emulation takes a glNormal3f outside glBegin/glEnd for a vertex
// of a block, writing it past the last array drawn and losing count of the enabled arrays,
// after which it sends every line draw to WebGL with no shader.
static Point3 currentNormal = {0.0f, 0.0f, 1.0f};

// From vertices at base (client arrays, or offsets into a bound buffer), indexed from
// indices when indexed.
static void drawLit(GLenum mode, const void *base, int count, bool indexed, const void *indices) {
    const char *at = static_cast<const char *>(base);
    chooseShading();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(LitVertex), at + offsetof(LitVertex, normal));
    glVertexPointer(3, GL_FLOAT, sizeof(LitVertex), at + offsetof(LitVertex, position));
    if (indexed) {
        glDrawElements(mode, count, GL_UNSIGNED_SHORT, indices);
    } else {
        glDrawArrays(mode, 0, count);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void drawLitTriangles(const LitVertex *vertices, int count, const unsigned short *indices) {
    drawLit(GL_TRIANGLES, vertices, count, indices != nullptr, indices);
    currentNormal = vertices[indices != nullptr ? indices[count - 1] : count - 1].normal;
}

void drawLines(const Point3 *vertices, int count, const unsigned int *indices) {
    // In pieces of a stack array, each vertex with the current normal; indices are resolved
    // here, as the browser's GL draws no 32-bit ones from memory.
    const int PIECE = 256; // vertices, an even number: whole lines
    LitVertex piece[PIECE];
    for (int first = 0; first < count; first += PIECE) {
        int n = count - first < PIECE ? count - first : PIECE;
        for (int i = 0; i < n; i++) {
            piece[i].normal = currentNormal;
            piece[i].position = vertices[indices != nullptr ? indices[first + i] : first + i];
        }
        static_assert(sizeof(LitVertex) == 6 * sizeof(float), "a lit vertex is six floats");
        n = prepareLines(&piece[0].normal.x, n, 6, 3);
        if (n > 0) {
            drawLit(GL_LINES, piece, n, false, nullptr);
        }
    }
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
    // Though start-up enables it too: the face normals are cross products, twice their
    // triangle's area, and callers scale the mesh unevenly; drawn anywhere, it is lit right.
    glEnable(GL_NORMALIZE);
    int count = 3 * mesh.triangleCount;
    if (mesh.litIndices == nullptr) {
        drawLitTriangles(mesh.litVertices, count);
        return;
    }
    MeshArrays arrays = bindMeshArrays(&mesh.litVertices[0].normal.x, mesh.litVertexCount, 6, 3,
                                       mesh.litIndices, count);
    if (arrays.indexCount > 0) {
        drawLit(GL_TRIANGLES, arrays.vertices, arrays.indexCount, true, arrays.indices);
    }
    unbindMeshArrays();
    currentNormal = mesh.litVertices[mesh.litIndices[count - 1]].normal;
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
