// Meshes on the desktop: OpenGL 1.1 client arrays, read by the driver at each draw.
#include "platform/platform.h"

MeshArrays bindMeshArrays(const void *vertices, std::size_t, const void *indices, std::size_t) {
    return {vertices, indices};
}

void unbindMeshArrays() {}

void forgetMeshArrays(const void *) {}
