// Lines in a page: the CPU renderer browsers fall back on without a GPU (ANGLE on SwiftShader)
// draws nothing of a line with an end at or behind the eye (clip w <= 0), where a GL clips
// it; triangles it clips. So each line is cut at the near plane here, as the GL would cut
// it: what lies in front of that plane is never drawn anyway.
#include "platform/platform.h"

#include "platform/web/clip_space.h"

#include <cstring>

int prepareLines(float *vertices, int count, int stride, int positionAt) {
    // Clip z + w: the distance from the near plane in clip space, 0 or more on the side that
    // is drawn.
    GLfloat m[16], near[4];
    clipMatrix(m);
    for (int c = 0; c < 4; c++) {
        near[c] = m[4 * c + 2] + m[4 * c + 3];
    }
    auto side = [&](const float *p) {
        return near[0] * p[0] + near[1] * p[1] + near[2] * p[2] + near[3];
    };
    int kept = 0;
    for (int i = 0; i + 1 < count; i += 2) {
        float *a = vertices + i * stride, *b = a + stride;
        float da = side(a + positionAt), db = side(b + positionAt);
        if (da < 0.0f && db < 0.0f) {
            continue;
        }
        if (da < 0.0f || db < 0.0f) { // the end in front of the plane moves onto it
            float *front = (da < 0.0f ? a : b) + positionAt;
            const float *back = (da < 0.0f ? b : a) + positionAt;
            float dFront = da < 0.0f ? da : db, dBack = da < 0.0f ? db : da;
            float t = dFront / (dFront - dBack);
            for (int k = 0; k < 3; k++) {
                front[k] += t * (back[k] - front[k]);
            }
        }
        if (kept != i) {
            std::memmove(vertices + kept * stride, a, sizeof(float) * 2 * stride);
        }
        kept += 2;
    }
    return kept;
}
