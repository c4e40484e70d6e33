// Turning a left click into a block order.
#include "automation/automation.h"

#include "camera/camera.h"
#include "scene/scene.h"

#include "platform/platform.h"
#include <cmath>

Line2 radialLine;
Line2 crossLine;

float lineValue(Line2 line, float x, float z) {
    return line.a * x + line.b * z + line.c;
}

void mouse(int button, int state, int x, int y) {
    if (button == GLUT_LEFT_BUTTON && state == GLUT_UP) {
        pickBlock(x, y);
    }
}

void drawPickScene() {
    glPushMatrix();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyView(camera.position, camera.back, camera.up, camera.offset);
    drawAxes(AXIS_LENGTH);
    drawQuay();
    drawWaitingBlocks(true); // whatever the mode: blocks hidden in manual mode stay pickable
    glPopMatrix();
    glFlush();
    glutSwapBuffers();
}

int chooseHitBlock(const unsigned int *buffer, int hits) {
    int chosen = -1;
    unsigned int nearest = 0;
    int word = 0;
    for (int h = 0; h < hits; h++) {
        unsigned int names = buffer[word];
        unsigned int minDepth = buffer[word + 1];
        // The name stack is one deep, so a record holds at most one name.
        if (names >= 1) {
            int name = static_cast<int>(buffer[word + 3]);
            if (isBlockIndex(name) && (chosen == -1 || minDepth < nearest)) {
                chosen = name;
                nearest = minDepth;
            }
        }
        word += 3 + static_cast<int>(names);
    }
    return chosen;
}

int selectHits(int x, int y, unsigned int *buffer) {
    GLint viewport[4];

    glSelectBuffer(SELECT_BUFFER_SIZE, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(BACKGROUND_NAME);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluPickMatrix(x, viewport[3] - y, 5.0, 5.0, viewport);
    multiplyFrustum();
    applyView(camera.position, camera.back, camera.up, camera.offset);
    drawPickScene();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();

    // An overflowed buffer reports -1; with one name per record it cannot happen.
    return glRenderMode(GL_RENDER);
}

int selectPick(int x, int y, int *block) {
    GLuint buffer[SELECT_BUFFER_SIZE];
    int hits = selectHits(x, y, buffer);
    *block = hits > 0 ? chooseHitBlock(buffer, hits) : -1;
    return hits;
}

// What lies in the 5 x 5 pixel region around (x, y): the hit count (0: empty background),
// and the front-most block hit in *block, or -1. By selection where GL has it, else by
// colours, whose flat picture must not stay in view: the frame is drawn again.
static int pickRegion(int x, int y, int *block) {
    if (hasSelectionMode()) {
        return selectPick(x, y, block);
    }
    int hits = colourPick(x, y, block);
    display();
    return hits;
}

void pickBlock(int x, int y) {
    int candidate = -1;
    if (pickRegion(x, y, &candidate) <= 0) {
        consolePrint("\nNada seleccionado");
        return;
    }
    orderBlock(candidate);
}

void orderBlock(int block) {
    if (isWaitingBlock(block) && readyForOrder != 0) {
        readyForOrder = 0;
        consolePrint("\nEn camino a por el bloque seleccionado...");
        targetBlock = block;
        computeApproachLines(blockTable[block]);
        clearStageFlags();
        setIdleStep(pickUpStep);
    }
    // Not an else: the crane is busy from the acceptance on, and the narration has always
    // followed an accepted order with the busy lines too.
    if (readyForOrder == 0) {
        consolePrint("\nA\xfan en proceso de carga y descarga de un bloque...");
        consolePrint("\nPor favor, espere unos segundos...");
    }
}

void computeApproachLines(Block block) {
    float bx = block.x, by = block.y, bz = block.z;

    radialLine.a = bz;
    radialLine.b = -bx;
    // Zero written out as the line through the origin: -0 for a block at x < 0, z > 0, which
    // the "Recta1" line prints as "-0", as it always has.
    radialLine.c = -(radialLine.a * 0) - (radialLine.b * 0);

    crossLine.a = -1 / bz;
    crossLine.b = -1 / bx;
    crossLine.c = -(crossLine.a * bx) - (crossLine.b * bz);
    if (!std::isfinite(crossLine.a) || !std::isfinite(crossLine.b) || !std::isfinite(crossLine.c)) {
        // On the Z axis (or so near it that the slopes overflow) the across line is
        // Z = bz, unit normal, signed as for a block just off the axis on the quay side.
        crossLine.a = 0.0f;
        crossLine.b = 1.0f;
        crossLine.c = -bz;
    }

    // "Posicion" without its accent, as the narration has always written it.
    consolePrint("\nPosicion bloque : %g, \t%g, \t%g", bx, by, bz);
    consolePrint("\nRecta1 : %g\t%g\t%g", radialLine.a, radialLine.b, radialLine.c);
    consolePrint("\nRecta2 : %g\t%g\t%g", crossLine.a, crossLine.b, crossLine.c);
}
