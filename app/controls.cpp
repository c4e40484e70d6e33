// Banner, pop-up menu, keyboard dispatch, the scene's reset and restart, and the ordinary
// exit.
//
// Keys:  Escape q Q        exit, in either mode
//        c / C             cable out / in        (manual mode, 1..13)
//        d / D             close / open claw     (manual mode, -20..44)
//        y / Y             slew + / -            (manual mode, unbounded)
//        z / Z             luff up / down        (manual mode, -25..85)
//        anything else     camera navigation
#include "app/app.h"

#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include "platform/platform.h"

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
    static const MenuEntry entries[] = {
        {"Exit", MENU_EXIT},
        {"Modo recogida de bloques", MENU_COLLECTION_MODE},
        {"Modo movimiento manual de vinca", MENU_MANUAL_MODE},
    };
    menuId = createPopupMenu(menuSelect, entries, 3);
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

// The crane keys of manual mode: which joint, which way, and the bound the value before
// the step must lie strictly inside of (none for the slew).
struct CraneKey {
    unsigned char key;
    float CranePose::*joint;
    float step;
    bool bounded;
    float bound;
};

static const CraneKey CRANE_KEYS[] = {
    {'c', &CranePose::cableLength, 1.0f, true, CABLE_MAX},
    {'C', &CranePose::cableLength, -1.0f, true, CABLE_MIN},
    {'d', &CranePose::clawAngle, 1.0f, true, CLAW_MAX},
    {'D', &CranePose::clawAngle, -1.0f, true, CLAW_MIN},
    {'y', &CranePose::slewAngle, 1.0f, false, 0.0f},
    {'Y', &CranePose::slewAngle, -1.0f, false, 0.0f},
    {'z', &CranePose::luffAngle, 1.0f, true, LUFF_MAX},
    {'Z', &CranePose::luffAngle, -1.0f, true, LUFF_MIN},
};

static const CraneKey *findCraneKey(unsigned char key) {
    for (const CraneKey &k : CRANE_KEYS) {
        if (k.key == key) {
            return &k;
        }
    }
    return nullptr;
}

// A value already past its bound is not clamped; only a step further out is refused.
static void moveJoint(const CraneKey &k) {
    float &value = cranePose.*k.joint;
    bool inside = !k.bounded || (k.step > 0 ? value < k.bound : value > k.bound);
    if (inside) {
        value += k.step;
    }
}

void keyboard(unsigned char key, int, int) {
    if (key == 27 || key == 'q' || key == 'Q') {
        ordinaryExit();
    }
    const CraneKey *crane = findCraneKey(key);
    if (crane == nullptr) {
        cameraKey(key);
    } else if (manualMode == 1) {
        moveJoint(*crane);
    } else {
        consolePrint(REFUSED_KEY_TEXT);
    }
    glutPostRedisplay();
}
