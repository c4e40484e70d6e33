// The camera: its state, the view transform built from it, the projection and navigation.
#ifndef VINCA_CAMERA_H
#define VINCA_CAMERA_H

#include "common/common.h"

struct Camera {
    Point3 position; // pivot on the near plane; the line of sight passes through it
    Point3 back;     // points from the scene toward the viewer; only its direction matters
    Point3 up;       // up hint; only its part perpendicular to back matters
    Point3 offset;   // eye offset in eye axes; offset.z is also the near-plane distance
};

extern Camera camera;    // defaults set by start-up and restartOn; moved by the navigation keys
extern int windowWidth;  // pixels; 500 at start, updated by reshape
extern int windowHeight; // pixels; 500 at start, updated by reshape

const float FAR_PLANE = 1000.0f;

// Start-up values: position and back (10, 5, 10), up (0, 1, 0), offset (0, 0, 4).
void setCameraDefaults();

// The three view angles, in degrees, that turn back onto +z and up x back onto +x.
void viewAngles(Point3 back, Point3 up, float *ax, float *ay, float *az);

// Height over width as the frustum uses it; 1 for a width of 0 or less.
float frustumAspect(int width, int height);

// Loads the view transform; leaves the modelview matrix selected. Every drawing pass
// starts with it.
void applyView(Point3 position, Point3 back, Point3 up, Point3 offset);

// Multiplies the program's frustum onto the current matrix; the pick pass shares it.
void multiplyFrustum();

// Frustum and view, once the window exists; the first step of start-up's initGlState.
void initProjection();

// GLUT reshape callback.
void reshape(int width, int height);

// What a navigation key does: a step of one unit along the ground or the vertical, or a
// turn. The keys themselves are the application's.
enum CameraMove {
    CAMERA_STILL,
    CAMERA_FORWARD,
    CAMERA_BACK,
    CAMERA_LEFT,
    CAMERA_RIGHT,
    CAMERA_UP,
    CAMERA_DOWN,
    CAMERA_TURN_LEFT,
    CAMERA_TURN_RIGHT,
    CAMERA_TILT_UP,
    CAMERA_TILT_DOWN,
};

// Moves camera.position / camera.back, without touching GL.
void moveCamera(CameraMove move);

// Tilts camera.back by 0.05 rad: 'd' down (back rises), 'u' up. Anything else tilts by 0, but
// the turns into and out of back's vertical plane still run, and their rounding may move it.
void tiltCamera(unsigned char direction);

// One navigation key: moveCamera, then applyView and a redisplay, whatever the move.
void cameraKey(CameraMove move);

#endif
