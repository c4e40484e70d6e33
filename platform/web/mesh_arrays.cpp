// Meshes in a page: in buffer objects filled once. Drawn from client arrays, the GL emulation
// scans the indices for their range and uploads vertices and indices again at each draw, and
// WebGL copies them to the GPU process. Without a GPU the browser's renderer (SwiftShader)
// transforms and lights every vertex of a draw on the CPU before it clips anything, and sets
// up every triangle: so the triangles with two corners at one place (the cylinder's 400 on
// its axis, of 1,200), which draw nothing, are left out of the indices kept, and a mesh whose
// box lies wholly outside the view is not drawn.

// The buffer functions (OpenGL 1.5) are declared only on request; the desktop never uses them.
#define GL_GLEXT_PROTOTYPES 1
#include "platform/platform.h"

#include "platform/web/clip_space.h"
#include "platform/web/gl_objects.h"

#include <GL/glext.h>

#include <cstring>
#include <vector>

namespace {

struct KeptMesh {
    const float *vertices; // the client arrays' address: which mesh this is
    GLuint arrayBuffer;
    GLuint elementBuffer;
    int indexCount;        // kept in elementBuffer
    float low[3], high[3]; // the box round the vertices, in the mesh's own frame
};

bool outsideView(const KeptMesh &mesh) {
    GLfloat m[16];
    clipMatrix(m);
    return outsideClipVolume(m, mesh.low, mesh.high);
}

KeptMesh kept[4]; // the program draws one mesh; a few more cost nothing

GLuint filledBuffer(GLenum target, const void *data, std::size_t bytes) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    return buffer;
}

} // namespace

MeshArrays bindMeshArrays(const float *vertices, int vertexCount, int stride, int positionAt,
                          const unsigned short *indices, int indexCount) {
    KeptMesh *mesh = nullptr, *free = nullptr;
    for (KeptMesh &k : kept) {
        mesh = k.vertices == vertices ? &k : mesh;
        free = k.vertices == nullptr && free == nullptr ? &k : free;
    }
    if (mesh == nullptr && free == nullptr) {
        return {vertices, indices, indexCount}; // no room: drawn from client arrays as before
    }
    if (mesh == nullptr) {
        auto at = [&](int i) { return vertices + indices[i] * stride + positionAt; };
        std::vector<unsigned short> drawn;
        for (int t = 0; t + 2 < indexCount; t += 3) {
            const int size = 3 * sizeof(float);
            if (std::memcmp(at(t), at(t + 1), size) != 0 &&
                std::memcmp(at(t + 1), at(t + 2), size) != 0 &&
                std::memcmp(at(t + 2), at(t), size) != 0) {
                drawn.insert(drawn.end(), indices + t, indices + t + 3);
            }
        }
        mesh = free;
        mesh->vertices = vertices;
        mesh->arrayBuffer =
            filledBuffer(GL_ARRAY_BUFFER, vertices, sizeof(float) * stride * vertexCount);
        mesh->elementBuffer = filledBuffer(GL_ELEMENT_ARRAY_BUFFER, drawn.data(),
                                           sizeof(unsigned short) * drawn.size());
        mesh->indexCount = static_cast<int>(drawn.size());
        for (int k = 0; k < 3; k++) {
            mesh->low[k] = mesh->high[k] = vertices[positionAt + k];
        }
        for (int v = 0; v < vertexCount; v++) {
            for (int k = 0; k < 3; k++) {
                float x = vertices[v * stride + positionAt + k];
                mesh->low[k] = x < mesh->low[k] ? x : mesh->low[k];
                mesh->high[k] = x > mesh->high[k] ? x : mesh->high[k];
            }
        }
    }
    if (outsideView(*mesh)) {
        return {nullptr, nullptr, 0};
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh->arrayBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->elementBuffer);
    return {nullptr, nullptr, mesh->indexCount};
}

void unbindMeshArrays() {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void forgetMeshArrays(const float *vertices) {
    for (KeptMesh &k : kept) {
        if (k.vertices == vertices) {
            glDeleteBuffers(1, &k.arrayBuffer);
            glDeleteBuffers(1, &k.elementBuffer);
            k = KeptMesh();
        }
    }
}

void forgetKeptMeshes() {
    for (KeptMesh &k : kept) {
        k = KeptMesh();
    }
}
