// Flying the camera with the keyboard.
#include "camera/camera.h"

#include "platform/platform.h"
#include <cmath>

const double TURN_STEP = 0.05; // radians per turn
const float TILT_STEP = 0.05f; // radians per tilt, held as a float

void tiltCamera(unsigned char direction) {
    float delta = 0.0f;
    if (direction == 'd') {
        delta = TILT_STEP;
    } else if (direction == 'u') {
        delta = -TILT_STEP;
    }
    Point3 &back = camera.back;
    float theta = static_cast<float>(std::atan2(double(back.z), double(back.x)));
    turnAboutVertical(&back, theta);
    turnAboutZ(&back, delta);
    turnAboutVertical(&back, -theta);
}

void moveCamera(CameraMove move) {
    Point3 &position = camera.position;
    float heading = static_cast<float>(std::atan2(double(camera.back.x), double(camera.back.z)));
    double sinH = std::sin(double(heading)), cosH = std::cos(double(heading));
    switch (move) {
    case CAMERA_FORWARD:
        position.x = static_cast<float>(position.x - sinH);
        position.z = static_cast<float>(position.z - cosH);
        break;
    case CAMERA_BACK:
        position.x = static_cast<float>(position.x + sinH);
        position.z = static_cast<float>(position.z + cosH);
        break;
    case CAMERA_RIGHT:
        position.x = static_cast<float>(position.x + cosH);
        position.z = static_cast<float>(position.z - sinH);
        break;
    case CAMERA_LEFT:
        position.x = static_cast<float>(position.x - cosH);
        position.z = static_cast<float>(position.z + sinH);
        break;
    case CAMERA_UP:
        position.y += 1.0f;
        break;
    case CAMERA_DOWN:
        position.y -= 1.0f;
        break;
    case CAMERA_TURN_LEFT:
        turnAboutVertical(&camera.back, TURN_STEP);
        break;
    case CAMERA_TURN_RIGHT:
        turnAboutVertical(&camera.back, -TURN_STEP);
        break;
    case CAMERA_TILT_DOWN:
        tiltCamera('d');
        break;
    case CAMERA_TILT_UP:
        tiltCamera('u');
        break;
    default:
        break;
    }
}

void cameraKey(CameraMove move) {
    moveCamera(move);
    applyView(camera.position, camera.back, camera.up, camera.offset);
    glutPostRedisplay();
}
