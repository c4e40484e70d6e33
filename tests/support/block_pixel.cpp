#include "support/block_pixel.h"

#include "app/app.h"
#include "camera/camera.h"

#include "platform/platform.h"
#include <cmath>

void cameraMatrices(int width, int height, double modelview[16], double projection[16]) {
    int savedWidth = windowWidth, savedHeight = windowHeight;
    windowWidth = width;
    windowHeight = height;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    multiplyFrustum();
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyView(camera.position, camera.back, camera.up, camera.offset);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glPopMatrix();
    windowWidth = savedWidth;
    windowHeight = savedHeight;
}

void blockPixel(Point3 base, int width, int height, int *px, int *py) {
    GLdouble projection[16], modelview[16];
    cameraMatrices(width, height, modelview, projection);
    const GLint viewport[4] = {0, 0, width, height};
    GLdouble wx, wy, wz;
    // The block is 1.5 high; aim at its middle.
    gluProject(base.x, base.y + 0.75, base.z, modelview, projection, viewport, &wx, &wy, &wz);
    *px = static_cast<int>(std::lround(wx));
    *py = height - static_cast<int>(std::lround(wy));
}

void cameraAfterKeys(const char *keys) {
    setCameraDefaults();
    for (const char *key = keys; *key != '\0'; key++) {
        moveCamera(cameraMoveOf(static_cast<unsigned char>(*key)));
    }
}
