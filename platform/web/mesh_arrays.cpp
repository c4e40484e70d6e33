// Meshes in a page: in buffer objects filled once. Drawn from client arrays, the GL emulation
// scans the indices for their range and uploads vertices and indices again at each draw, and
// WebGL copies them to the GPU process.
// The buffer functions (OpenGL 1.5) are declared only on request; the desktop never uses them.
#define GL_GLEXT_PROTOTYPES 1
#include "platform/platform.h"

#include <GL/glext.h>

namespace {

struct KeptMesh {
    const void *vertices; // the client arrays' address: which mesh this is
    GLuint arrayBuffer;
    GLuint elementBuffer; // 0: the mesh has no indices
};

KeptMesh kept[4]; // the program draws one mesh; a few more cost nothing

GLuint filledBuffer(GLenum target, const void *data, std::size_t bytes) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    return buffer;
}

} // namespace

MeshArrays bindMeshArrays(const void *vertices, std::size_t vertexBytes, const void *indices,
                          std::size_t indexBytes) {
    KeptMesh *mesh = nullptr, *free = nullptr;
    for (KeptMesh &k : kept) {
        mesh = k.vertices == vertices ? &k : mesh;
        free = k.vertices == nullptr && free == nullptr ? &k : free;
    }
    if (mesh == nullptr && free == nullptr) {
        return {vertices, indices}; // no room: drawn from client arrays as before
    }
    if (mesh == nullptr) {
        mesh = free;
        mesh->vertices = vertices;
        mesh->arrayBuffer = filledBuffer(GL_ARRAY_BUFFER, vertices, vertexBytes);
        mesh->elementBuffer =
            indices != nullptr ? filledBuffer(GL_ELEMENT_ARRAY_BUFFER, indices, indexBytes) : 0;
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh->arrayBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->elementBuffer);
    return {nullptr, mesh->elementBuffer != 0 ? nullptr : indices};
}

void unbindMeshArrays() {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void forgetMeshArrays(const void *vertices) {
    for (KeptMesh &k : kept) {
        if (k.vertices == vertices) {
            glDeleteBuffers(1, &k.arrayBuffer);
            if (k.elementBuffer != 0) {
                glDeleteBuffers(1, &k.elementBuffer);
            }
            k = KeptMesh();
        }
    }
}
