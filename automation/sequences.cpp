// The idle-driven pick-up and transport sequences.
#include "automation/automation.h"

#include "platform/platform.h"

// "Posicion" without its accent, as the narration has always written it.
static const char POSITION_REACHED[] = "\nPosicion ajustada!! el error es de %g";

int slewAligned = 0;
int reachAligned = 0;
int heightReached = 0;
int gripClosed = 0;
int overShip = 0;
int released = 0;

void clearStageFlags() {
    gripClosed = 0;
    heightReached = 0;
    reachAligned = 0;
    slewAligned = 0;
    released = 0;
    overShip = 0;
}

// Luffs boomTip by w about the pivot: into the X-Y plane, turn, and back out.
static void luffBoomTip(float w) {
    float phi = static_cast<float>(cranePose.slewAngle * PI_VALUE / 180);
    boomTip.y -= BOOM_PIVOT_HEIGHT;
    turnAboutVertical(&boomTip, -phi);
    turnAboutZ(&boomTip, w);
    turnAboutVertical(&boomTip, phi);
    boomTip.y += BOOM_PIVOT_HEIGHT;
}

static void slewStage() {
    float e = lineValue(radialLine, boomTip.x, boomTip.z);
    if (e < -SLEW_TOLERANCE) {
        cranePose.slewAngle += 1.0f;
        turnAboutVertical(&boomTip, STEP_ANGLE);
    } else if (e > SLEW_TOLERANCE) {
        cranePose.slewAngle -= 1.0f;
        turnAboutVertical(&boomTip, -STEP_ANGLE);
    } else {
        consolePrint(POSITION_REACHED, e);
        slewAligned = 1;
    }
}

static void luffStage() {
    float e = lineValue(crossLine, boomTip.x, boomTip.z);
    // crossLine's value has the sign of bx * bz short of the block; the slew's sign stands for
    // bz's, so that on the quay's side (x < 0) e is positive beyond the block and the boom
    // rises to it from the horizontal. At x > 0 the sign comes out reversed, and the boom
    // luffs down to the block's reach instead, as it always has.
    if (cranePose.slewAngle < 0) {
        e = -e;
    }
    if (e > REACH_TOLERANCE) {
        cranePose.luffAngle += 1.0f;
        luffBoomTip(-STEP_ANGLE);
    } else if (e < -REACH_TOLERANCE) {
        cranePose.luffAngle -= 1.0f;
        luffBoomTip(STEP_ANGLE);
    } else {
        consolePrint(POSITION_REACHED, e);
        reachAligned = 1;
        consolePrint("\nBajando la pinza...");
        boomTip.y = static_cast<float>(boomTip.y - cranePose.cableLength + CLAW_OFFSET);
    }
}

static void lowerStage() {
    // Without a target (the scene was reset meanwhile) the claw stops where it is.
    if (isBlockIndex(targetBlock) && blockTable[targetBlock].y + HEIGHT_MARGIN < boomTip.y) {
        boomTip.y -= 1.0f;
        cranePose.cableLength += 1.0f;
        return;
    }
    consolePrint("\nAjustada altura!! Listo para coger el bloque");
    consolePrint("\nCerrando pinzas...");
    heightReached = 1;
    heldBlock = targetBlock;
}

static void gripStage() {
    if (cranePose.clawAngle < CLOSED_CLAW) {
        cranePose.clawAngle += 1.0f;
        return;
    }
    setIdleStep(transportStep); // its phases were cleared with the others by the order
    gripClosed = 1;
    targetBlock = -1;
    consolePrint("\nBloque cogido...");
    consolePrint("\nLlevando el bloque hasta el barco...");
}

void pickUpStep() {
    bool slewRan = false;
    if (slewAligned == 0) {
        slewStage();
        slewRan = true;
    }
    if (!slewRan && reachAligned == 0) {
        luffStage();
    }
    if (slewAligned == 1 && reachAligned == 1 && heightReached == 0) {
        lowerStage();
    }
    if (slewAligned == 1 && reachAligned == 1 && heightReached == 1 && gripClosed == 0) {
        gripStage();
    }
    glutPostRedisplay();
}

static void carryPhase() {
    CranePose &pose = cranePose;
    if (pose.cableLength > CARRY_CABLE) {
        pose.cableLength -= 1.0f;
    }
    if (pose.slewAngle > 0 && pose.slewAngle < SHIP_SLEW) {
        pose.slewAngle += 1.0f;
    } else if (pose.slewAngle > -SHIP_SLEW && pose.slewAngle < 0) {
        pose.slewAngle -= 1.0f;
    } else if (pose.luffAngle > 0) {
        pose.luffAngle -= 1.0f;
    } else {
        overShip = 1;
        consolePrint("\nExtendiendo cuerda...");
    }
}

static void setDownPhase() {
    CranePose &pose = cranePose;
    if (pose.cableLength < SET_DOWN_CABLE) {
        pose.cableLength += 1.0f;
    } else if (pose.clawAngle > 0) {
        pose.clawAngle -= 1.0f;
    } else {
        // Without a held block (the scene was reset meanwhile) nothing is unloaded.
        if (isBlockIndex(heldBlock)) {
            blockTable[heldBlock].present = 0;
        }
        heldBlock = -1;
        released = 1;
        consolePrint("\nBloque descargado ...");
        consolePrint("\nRecogiendo pinza...");
        consolePrint("\nVolviendo a la posici\xf3n inicial...");
    }
}

static void returnPhase() {
    CranePose &pose = cranePose;
    if (pose.cableLength > REST_POSE.cableLength) {
        pose.cableLength -= 1.0f;
    } else if (pose.slewAngle > 0) {
        pose.slewAngle -= 1.0f;
    } else if (pose.slewAngle < 0) {
        pose.slewAngle += 1.0f;
    } else {
        setRestPose();
        setIdleStep(nullptr);
        consolePrint("\nOperaci\xf3n completada ... Esperando nueva orden ;D");
        readyForOrder = 1;
    }
}

void transportStep() {
    if (overShip == 0) {
        carryPhase();
    }
    if (overShip == 1 && released == 0) {
        setDownPhase();
    }
    if (released == 1) {
        returnPhase();
    }
    glutPostRedisplay();
}
