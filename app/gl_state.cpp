// The GL state start-up sets once, before the first frame.
#include "app/app.h"

#include "camera/camera.h"

#include "platform/platform.h"

void initGlState() {
    initProjection();
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
}
