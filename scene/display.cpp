// Scenery, lights and the display pass.
#include "scene/scene.h"

#include "camera/camera.h"
#include "geometry/mesh.h"

#include "platform/platform.h"

const float light0Position[4] = {5.0f, 10.0f, 10.0f, 0.0f};
const float light1Position[4] = {0.0f, 0.0f, -100.0f, 0.0f};

static const float LIGHT1_AMBIENT[4] = {0.0f, 0.0f, 0.0f, 1.0f};
static const float LIGHT1_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float LIGHT1_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
static const float QUAY_COLOUR[4] = {0.7f, 0.7f, 1.0f, 0.0f};
static const float DECK_COLOUR[4] = {0.5f, 0.7f, 0.6f, 0.0f};

void drawAxes(float length) {
    // Lit like everything else, so the colour shows only with lighting off.
    glColor3f(1.0f, 1.0f, 1.0f);
    const Point3 lines[6] = {{0.0f, 0.0f, 0.0f},   {0.0f, length, 0.0f}, {0.0f, 0.0f, 0.0f},
                             {length, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f},   {0.0f, 0.0f, length}};
    drawLines(lines, 6);
}

void drawQuay() {
    setMaterialColour(QUAY_COLOUR);
    glPushMatrix();
    glTranslatef(QUAY_CORNER.x, QUAY_CORNER.y, QUAY_CORNER.z);
    drawBox(QUAY_SIZE.x, QUAY_SIZE.y, QUAY_SIZE.z);
    glPopMatrix();
}

void drawShipDeck() {
    setMaterialColour(DECK_COLOUR);
    const Point3 up = {0.0f, 1.0f, 0.0f};
    const Point3 &n = DECK_NEAR_CORNER, &f = DECK_FAR_CORNER;
    const LitVertex deck[4] = {{up, n}, {up, {n.x, n.y, f.z}}, {up, f}, {up, {f.x, n.y, n.z}}};
    LitVertex triangles[6];
    drawLitTriangles(triangles, quadToTriangles(deck, triangles));
}

bool isWaitingBlock(int index) {
    return isBlockIndex(index) && index != heldBlock && blockTable[index].present != 0;
}

void drawWaitingBlocks(bool named) {
    for (int i = 0; i < blockCount; i++) {
        if (!isWaitingBlock(i)) {
            continue;
        }
        glPushMatrix();
        if (named) {
            glLoadName(static_cast<GLuint>(i));
        }
        glTranslatef(blockTable[i].x, blockTable[i].y, blockTable[i].z);
        drawBlock(blockTable[i]);
        glPopMatrix();
    }
}

void display() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyView(camera.position, camera.back, camera.up, camera.offset);

    // Given after the view, so the lights stay fixed in the world.
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glLightfv(GL_LIGHT1, GL_AMBIENT, LIGHT1_AMBIENT);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LIGHT1_DIFFUSE);
    glLightfv(GL_LIGHT1, GL_SPECULAR, LIGHT1_SPECULAR);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);

    drawAxes(AXIS_LENGTH);
    drawQuay();
    drawCrane();

    glPushMatrix();
    glTranslatef(DECK_ORIGIN.x, DECK_ORIGIN.y, DECK_ORIGIN.z);
    glRotatef(DECK_TURN, 0.0f, 1.0f, 0.0f);
    drawShipDeck();
    glPopMatrix();

    if (manualMode == 0) {
        drawWaitingBlocks(false);
    }

    glPopMatrix();
    glFlush();
    glutSwapBuffers();
}
