// Banner, pop-up menu, keyboard dispatch and the ordinary exit.
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

#include <GL/glut.h>
#include <cstdlib>

int menuId = 0;

void printBanner() {
    std::printf("\n\n Proyecto Dise\xf1o y constucci\xf3n de una vinca de puerto");
    std::printf("\n");
    std::printf("\n Teclas de cursor, 8,2,4,6,o,l,u,j,h,k mueven la camara");
    std::printf("\n Boton derecho del raton activa el menu");
    std::printf("\n Escape o q : Salir");
    std::printf("\n\n\n");
}

void ordinaryExit() {
    freeMesh(unitCylinder, CYLINDER_PROFILE_POINTS);
    std::exit(0);
}

void createMenu() {
    menuId = glutCreateMenu(menuSelect);
    glutAddMenuEntry("Exit", MENU_EXIT);
    glutAddMenuEntry("Modo recogida de bloques", MENU_COLLECTION_MODE);
    glutAddMenuEntry("Modo movimiento manual de vinca", MENU_MANUAL_MODE);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

void menuSelect(int value) {
    switch (value) {
    case MENU_EXIT:
        ordinaryExit();
    case MENU_MANUAL_MODE:
        manualMode = 1;
        glutIdleFunc(nullptr);
        glutPostRedisplay();
        break;
    case MENU_COLLECTION_MODE:
        // A running step is left installed on purpose: it goes on from the rest pose.
        setRestPose();
        manualMode = 0;
        readyForOrder = 1;
        heldBlock = -1;
        targetBlock = -1;
        for (int i = 0; i < blockCount; i++) {
            blockTable[i].present = 1;
        }
        glutPostRedisplay();
        break;
    default:
        break;
    }
}

// The crane keys of manual mode; false for any other key.
static bool craneKey(unsigned char key) {
    CranePose &pose = cranePose;
    switch (key) {
    case 'c':
        if (pose.cableLength < CABLE_MAX) {
            pose.cableLength += 1.0f;
        }
        return true;
    case 'C':
        if (pose.cableLength > CABLE_MIN) {
            pose.cableLength -= 1.0f;
        }
        return true;
    case 'd':
        if (pose.clawAngle < CLAW_MAX) {
            pose.clawAngle += 1.0f;
        }
        return true;
    case 'D':
        if (pose.clawAngle > CLAW_MIN) {
            pose.clawAngle -= 1.0f;
        }
        return true;
    case 'y':
        pose.slewAngle += 1.0f;
        return true;
    case 'Y':
        pose.slewAngle -= 1.0f;
        return true;
    case 'z':
        if (pose.luffAngle < LUFF_MAX) {
            pose.luffAngle += 1.0f;
        }
        return true;
    case 'Z':
        if (pose.luffAngle > LUFF_MIN) {
            pose.luffAngle -= 1.0f;
        }
        return true;
    default:
        return false;
    }
}

static bool isCraneKeyCode(unsigned char key) {
    switch (key) {
    case 'c':
    case 'C':
    case 'd':
    case 'D':
    case 'y':
    case 'Y':
    case 'z':
    case 'Z':
        return true;
    default:
        return false;
    }
}

void keyboard(unsigned char key, int, int) {
    if (key == 27 || key == 'q' || key == 'Q') {
        ordinaryExit();
    }
    if (manualMode == 1) {
        if (!craneKey(key)) {
            cameraKey(key);
        }
    } else if (isCraneKeyCode(key)) {
        std::printf("\nTecla no definida para modo recogida de bloques");
    } else {
        cameraKey(key);
    }
    glutPostRedisplay();
}
