// The page's own look at where geometry lands, shared by the line cut and the mesh culling.
#ifndef VINCA_WEB_CLIP_SPACE_H
#define VINCA_WEB_CLIP_SPACE_H

#include "platform/platform.h"

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

#endif
