// Flying the camera with the keyboard.
#include "camera/camera.h"

#include "platform/platform.h"
#include <cmath>

const double TURN_STEP = 0.05; // radians per h or k press
const float TILT_STEP = 0.05f; // radians per j or u press, held as a float

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

void moveCamera(unsigned char key) {
    Point3 &position = camera.position;
    float heading = static_cast<float>(std::atan2(double(camera.back.x), double(camera.back.z)));
    double sinH = std::sin(double(heading)), cosH = std::cos(double(heading));
    switch (key) {
    case '8':
        position.x = static_cast<float>(position.x - sinH);
        position.z = static_cast<float>(position.z - cosH);
        break;
    case '2':
        position.x = static_cast<float>(position.x + sinH);
        position.z = static_cast<float>(position.z + cosH);
        break;
    case '6':
        position.x = static_cast<float>(position.x + cosH);
        position.z = static_cast<float>(position.z - sinH);
        break;
    case '4':
        position.x = static_cast<float>(position.x - cosH);
        position.z = static_cast<float>(position.z + sinH);
        break;
    case 'o':
        position.y += 1.0f;
        break;
    case 'l':
        position.y -= 1.0f;
        break;
    case 'h':
        turnAboutVertical(&camera.back, TURN_STEP);
        break;
    case 'k':
        turnAboutVertical(&camera.back, -TURN_STEP);
        break;
    case 'j':
        tiltCamera('d');
        break;
    case 'u':
        tiltCamera('u');
        break;
    default:
        break;
    }
}

void cameraKey(unsigned char key) {
    moveCamera(key);
    applyView(camera.position, camera.back, camera.up, camera.offset);
    glutPostRedisplay();
}

void specialKey(int key, int, int) {
    switch (key) {
    case GLUT_KEY_LEFT:
        cameraKey('h');
        break;
    case GLUT_KEY_UP:
        cameraKey('u');
        break;
    case GLUT_KEY_RIGHT:
        cameraKey('k');
        break;
    case GLUT_KEY_DOWN:
        cameraKey('j');
        break;
    default:
        break;
    }
}
