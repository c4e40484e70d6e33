// View transform, projection and reshape.
#include "camera/camera.h"

#include "geometry/mesh.h"

#include "platform/platform.h"
#include <cmath>

Camera camera;
int windowWidth = 500;
int windowHeight = 500;

void setCameraDefaults() {
    camera.position = {10.0f, 5.0f, 10.0f};
    camera.back = {10.0f, 5.0f, 10.0f};
    camera.up = {0.0f, 1.0f, 0.0f};
    camera.offset = {0.0f, 0.0f, 4.0f};
}

// All trigonometry in double (the float overloads would round it), results stored as float.
void viewAngles(Point3 back, Point3 up, float *ax, float *ay, float *az) {
    Point3 b = back;
    Point3 side = crossProduct(up, back);

    float angleX = static_cast<float>(std::atan2(double(b.y), double(b.z)));
    double c = std::cos(double(angleX)), s = std::sin(double(angleX));
    float by = static_cast<float>(b.y * c - b.z * s);
    float bz = static_cast<float>(b.y * s + b.z * c);
    b.y = by;
    b.z = bz;
    float sy = static_cast<float>(side.y * c - side.z * s);
    float sz = static_cast<float>(side.y * s + side.z * c);
    side.y = sy;
    side.z = sz;

    float angleY = static_cast<float>(std::atan2(double(b.z), double(b.x)) - HALF_PI_VALUE);
    c = std::cos(double(angleY));
    s = std::sin(double(angleY));
    float sx = static_cast<float>(side.x * c + side.z * s);
    sz = static_cast<float>(-side.x * s + side.z * c);
    side.x = sx;
    side.z = sz;
    // b would now lie on +z; only side is needed further.

    float angleZ = static_cast<float>(-std::atan2(double(side.y), double(side.x)));

    *ax = static_cast<float>(angleX * 180 / PI_VALUE);
    *ay = static_cast<float>(angleY * 180 / PI_VALUE);
    *az = static_cast<float>(angleZ * 180 / PI_VALUE);
}

float frustumAspect(int width, int height) {
    if (width > 0) {
        return static_cast<float>(height * 1.0 / width);
    }
    return 1.0f;
}

void applyView(Point3 position, Point3 back, Point3 up, Point3 offset) {
    float ax, ay, az;
    viewAngles(back, up, &ax, &ay, &az);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-offset.x, -offset.y, -offset.z);
    glRotatef(az, 0.0f, 0.0f, 1.0f);
    glRotatef(ay, 0.0f, 1.0f, 0.0f);
    glRotatef(ax, 1.0f, 0.0f, 0.0f);
    glTranslatef(-position.x, -position.y, -position.z);
}

void multiplyFrustum() {
    // A zero-height window gives aspect 0, a frustum GL refuses (GL_INVALID_VALUE; the page's
    // GL takes it, into a matrix that is not finite). Left so: nothing can show in a viewport
    // of no height, and the next reshape to a real size sets the frustum again.
    float aspect = frustumAspect(windowWidth, windowHeight);
    glFrustum(-1.0, 1.0, -aspect, aspect, camera.offset.z, FAR_PLANE);
}

void initProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    multiplyFrustum();
    applyView(camera.position, camera.back, camera.up, camera.offset);
}

void reshape(int width, int height) {
    glViewport(0, 0, width, height);
    windowWidth = width;
    windowHeight = height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    multiplyFrustum();
    glutPostRedisplay();
}
