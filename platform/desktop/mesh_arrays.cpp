// Meshes on the desktop: OpenGL 1.1 client arrays, read by the driver at each draw.
#include "platform/platform.h"

MeshArrays bindMeshArrays(const float *vertices, int, int, int, const unsigned short *indices,
                          int indexCount) {
    return {vertices, indices, indexCount};
}

void unbindMeshArrays() {}

void forgetMeshArrays(const float *) {}
