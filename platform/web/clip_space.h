// The page's own look at where geometry lands, shared by the line cut and the mesh culling:
// plain arithmetic on a clip matrix, apart from clipMatrix, so that it is tested on a desktop.
#ifndef VINCA_WEB_CLIP_SPACE_H
#define VINCA_WEB_CLIP_SPACE_H

#include "platform/platform.h"
#include <cstring>

// projection * modelview as GL holds them now (column-major): object to clip coordinates.
inline void clipMatrix(GLfloat m[16]) {
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (int c = 0; c < 4; c++) {
        for (int r = 0; r < 4; r++) {
            m[4 * c + r] = 0.0f;
            for (int k = 0; k < 4; k++) {
                m[4 * c + r] += projection[4 * k + r] * modelview[4 * c + k];
            }
        }
    }
}

// Cuts each line (vertex pairs, stride floats apart, the position positionAt floats in) at the
// near plane of clip matrix m, as a GL would: a line wholly in front of the plane goes, an
// end in front of it moves onto it. The lines kept close up at the start; returns their
// vertex count.
inline int cutAtNearPlane(const GLfloat m[16], float *vertices, int count, int stride,
                          int positionAt) {
    // Clip z + w: the distance from the near plane in clip space, 0 or more on the side that
    // is drawn.
    GLfloat near[4];
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

// Whether nothing of the box low..high can show under clip matrix m: all eight corners outside
// one plane of the clip volume (each plane bounds a half-space, so the whole box is).
inline bool outsideClipVolume(const GLfloat m[16], const float low[3], const float high[3]) {
    int outside[6] = {0, 0, 0, 0, 0, 0}; // corners beyond -x, +x, -y, +y, -z, +z (w = 1 in)
    for (int corner = 0; corner < 8; corner++) {
        float p[3];
        for (int k = 0; k < 3; k++) {
            p[k] = (corner >> k) & 1 ? high[k] : low[k];
        }
        float clip[4];
        for (int r = 0; r < 4; r++) {
            clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
        }
        for (int axis = 0; axis < 3; axis++) {
            outside[2 * axis] += clip[axis] < -clip[3] ? 1 : 0;
            outside[2 * axis + 1] += clip[axis] > clip[3] ? 1 : 0;
        }
    }
    for (int plane = 0; plane < 6; plane++) {
        if (outside[plane] == 8) {
            return true;
        }
    }
    return false;
}

#endif
