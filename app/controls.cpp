// Banner, pop-up menu, the key table and keyboard dispatch, the scene's reset and restart,
// and the ordinary exit.
#include "app/app.h"

#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include "platform/platform.h"
#include <algorithm>

int menuId = 0;

void printBanner() {
    for (const char *line : BANNER_TEXT) {
        consolePrint(line);
    }
}

void ordinaryExit() {
    freeMesh(unitCylinder, CYLINDER_PROFILE_POINTS);
    unitCylinder = RevolutionMesh{}; // released: where the process lives on (a page), restartOn
                                     // builds it again
    quitProgram(0);
}

void resetScene() {
    setRestPose();
    manualMode = 0;
    readyForOrder = 1;
    heldBlock = -1;
    targetBlock = -1;
    for (int i = 0; i < blockCount; i++) {
        blockTable[i].present = 1;
    }
    glutPostRedisplay();
}

void restartOn(const char *name) {
    // Left open when a fatal error in the reader ended the last load, which leaves without
    // unwinding where the process lives on.
    static std::FILE *file = nullptr;
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    file = openBlockFileOrQuit(name);
    setIdleStep(nullptr);
    if (unitCylinder.rows == nullptr) {
        buildUnitCylinder();
    }
    setCameraDefaults();
    blockCount = 0;
    glutDisplayFunc(display);
    resetScene();
    loadBlockFile(file);
    std::fclose(file);
    file = nullptr;
}

void createMenu() {
    menuId = createPopupMenu(menuSelect, MENU_ENTRIES, MENU_ENTRY_COUNT);
}

void menuSelect(int value) {
    switch (value) {
    case MENU_EXIT:
        ordinaryExit();
    case MENU_MANUAL_MODE:
        manualMode = 1;
        setIdleStep(nullptr);
        glutPostRedisplay();
        break;
    case MENU_COLLECTION_MODE:
        // A running step is left installed on purpose: it goes on from the rest pose.
        resetScene();
        break;
    default:
        break;
    }
}

static constexpr Key cameraEntry(unsigned char key, const char *does, const char *help,
                                 CameraMove move, int arrow = 0, const char *arrowName = nullptr) {
    return {key, KEY_CAMERA, does, help, move, arrow, arrowName, nullptr, 0.0f, false, 0.0f, 0.0f};
}

static constexpr Key craneEntry(unsigned char key, const char *does, const char *help,
                                float CranePose::*joint, float step, bool bounded, float low,
                                float high) {
    return {key, KEY_CRANE, does, help, CAMERA_STILL, 0, nullptr, joint, step, bounded, low, high};
}

static constexpr Key exitEntry(unsigned char key, const char *help) {
    return {key,     KEY_EXIT, "quit", help,  CAMERA_STILL, 0,
            nullptr, nullptr,  0.0f,   false, 0.0f,         0.0f};
}

const Key KEYS[] = {
    cameraEntry('8', "forward", "move the camera forward, back, left, right", CAMERA_FORWARD),
    cameraEntry('2', "back", nullptr, CAMERA_BACK),
    cameraEntry('4', "left", nullptr, CAMERA_LEFT),
    cameraEntry('6', "right", nullptr, CAMERA_RIGHT),
    cameraEntry('o', "up", "move it up, down", CAMERA_UP),
    cameraEntry('l', "down", nullptr, CAMERA_DOWN),
    cameraEntry('h', "turn left", "turn it left, right, up, down (also the arrow keys)",
                CAMERA_TURN_LEFT, GLUT_KEY_LEFT, "Left"),
    cameraEntry('k', "turn right", nullptr, CAMERA_TURN_RIGHT, GLUT_KEY_RIGHT, "Right"),
    cameraEntry('u', "tilt up", nullptr, CAMERA_TILT_UP, GLUT_KEY_UP, "Up"),
    cameraEntry('j', "tilt down", nullptr, CAMERA_TILT_DOWN, GLUT_KEY_DOWN, "Down"),
    craneEntry('c', "cable out", "cable, claw, slew and luff (manual mode)",
               &CranePose::cableLength, 1.0f, true, CABLE_MIN, CABLE_MAX),
    craneEntry('C', "cable in", nullptr, &CranePose::cableLength, -1.0f, true, CABLE_MIN,
               CABLE_MAX),
    craneEntry('d', "close claw", nullptr, &CranePose::clawAngle, 1.0f, true, CLAW_MIN, CLAW_MAX),
    craneEntry('D', "open claw", nullptr, &CranePose::clawAngle, -1.0f, true, CLAW_MIN, CLAW_MAX),
    craneEntry('y', "slew +", nullptr, &CranePose::slewAngle, 1.0f, false, 0.0f, 0.0f),
    craneEntry('Y', "slew -", nullptr, &CranePose::slewAngle, -1.0f, false, 0.0f, 0.0f),
    craneEntry('z', "luff up", nullptr, &CranePose::luffAngle, 1.0f, true, LUFF_MIN, LUFF_MAX),
    craneEntry('Z', "luff down", nullptr, &CranePose::luffAngle, -1.0f, true, LUFF_MIN, LUFF_MAX),
    exitEntry(27, "quit"),
    exitEntry('q', nullptr),
    exitEntry('Q', nullptr),
};
const int KEY_COUNT = sizeof KEYS / sizeof KEYS[0];

const Key *findKey(unsigned char key) {
    for (const Key &k : KEYS) {
        if (k.key == key) {
            return &k;
        }
    }
    return nullptr;
}

CameraMove cameraMoveOf(unsigned char key) {
    const Key *k = findKey(key);
    return k != nullptr ? k->move : CAMERA_STILL;
}

std::string keyName(const Key &key) {
    return key.key == 27 ? "Escape" : std::string(1, static_cast<char>(key.key));
}

std::string keyLimits(const Key &key, const char *to) {
    if (!key.bounded) {
        return "";
    }
    char low[32], high[32];
    std::snprintf(low, sizeof low, "%g", double(key.low));
    std::snprintf(high, sizeof high, "%g", double(key.high));
    return low + std::string(to) + high;
}

// The keys of the --help line that starts at KEYS[first]; next is where the next one starts.
static std::string helpLineKeys(int first, int *next) {
    std::string keys = keyName(KEYS[first]);
    for (*next = first + 1; *next < KEY_COUNT && KEYS[*next].help == nullptr; ++*next) {
        keys += " " + keyName(KEYS[*next]);
    }
    return keys;
}

void printKeyHelp(std::FILE *out) {
    // The camera's lines align among themselves, the others among themselves.
    std::size_t width[2] = {0, 0};
    for (int i = 0, next = 0; i < KEY_COUNT; i = next) {
        std::size_t &w = width[KEYS[i].group != KEY_CAMERA];
        w = std::max(w, helpLineKeys(i, &next).size());
    }
    for (int i = 0, next = 0; i < KEY_COUNT; i = next) {
        std::string keys = helpLineKeys(i, &next);
        keys.resize(width[KEYS[i].group != KEY_CAMERA] + 3, ' ');
        std::fprintf(out, "%s%s%s\n", i == 0 ? "Keys:  " : "       ", keys.c_str(), KEYS[i].help);
    }
}

// A value already past its bound is not clamped; only a step further out is refused.
static void moveJoint(const Key &k) {
    float &value = cranePose.*k.joint;
    bool inside = !k.bounded || (k.step > 0 ? value < k.high : value > k.low);
    if (inside) {
        value += k.step;
    }
}

void keyboard(unsigned char key, int, int) {
    const Key *k = findKey(key);
    if (k != nullptr && k->group == KEY_EXIT) {
        ordinaryExit();
    }
    if (k == nullptr || k->group == KEY_CAMERA) {
        cameraKey(k != nullptr ? k->move : CAMERA_STILL);
    } else if (manualMode == 1) {
        moveJoint(*k);
    } else {
        consolePrint(REFUSED_KEY_TEXT);
    }
    glutPostRedisplay();
}

void specialKey(int key, int, int) {
    for (const Key &k : KEYS) {
        if (k.arrow != 0 && k.arrow == key) {
            cameraKey(k.move);
        }
    }
}
