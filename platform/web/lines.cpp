// Lines in a page: the CPU renderer browsers fall back on without a GPU (ANGLE on SwiftShader)
// draws nothing of a line with an end at or behind the eye (clip w <= 0), where a GL clips
// it; triangles it clips. So each line is cut at the near plane here, as the GL would cut
// it: what lies in front of that plane is never drawn anyway.
#include "platform/platform.h"

#include "platform/web/clip_space.h"

int prepareLines(float *vertices, int count, int stride, int positionAt) {
    GLfloat m[16];
    clipMatrix(m);
    return cutAtNearPlane(m, vertices, count, stride, positionAt);
}
