// The articulated crane, the box primitive and the block drawing.
#include "scene/scene.h"

#include "geometry/mesh.h"

#include "platform/platform.h"
#include <cmath>

const float colorTable[12][4] = {
    {1.0f, 1.0f, 1.0f, 0.0f}, // white
    {1.0f, 0.0f, 1.0f, 0.0f}, // magenta
    {0.0f, 1.0f, 1.0f, 0.0f}, // cyan
    {1.0f, 1.0f, 0.0f, 0.0f}, // yellow
    {1.0f, 0.0f, 0.0f, 0.0f}, // red
    {0.0f, 1.0f, 0.0f, 0.0f}, // green
    {0.0f, 0.0f, 1.0f, 0.0f}, // blue
    {0.5f, 1.0f, 0.0f, 0.0f}, // yellow-green
    {1.0f, 0.5f, 1.0f, 0.0f}, // light magenta
    {1.0f, 0.0f, 0.5f, 0.0f}, // rose
    {0.0f, 0.5f, 1.0f, 0.0f}, // azure
    {0.5f, 0.0f, 1.0f, 0.0f}, // violet
};

static const float CRANE_GREY[4] = {0.7f, 0.7f, 0.7f, 0.0f};

static void drawScaledCylinder(float sx, float sy, float sz) {
    glScalef(sx, sy, sz);
    drawMesh(unitCylinder, MESH_SOLID);
}

void drawBox(float a, float b, float c) {
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0.0f, 0.0f, -1.0f);
    glVertex3f(a, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(a, b, 0.0f);
    glVertex3f(0.0f, b, 0.0f);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glVertex3f(a, b, c);
    glVertex3f(0.0f, b, c);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(a, 0.0f, c);
    glVertex3f(0.0f, 0.0f, c);
    glNormal3f(0.0f, -1.0f, 0.0f);
    glVertex3f(a, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();

    glBegin(GL_QUADS);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glVertex3f(a, 0.0f, 0.0f);
    glVertex3f(a, b, 0.0f);
    glVertex3f(a, b, c);
    glVertex3f(a, 0.0f, c);
    glEnd();

    glBegin(GL_QUADS);
    glNormal3f(-1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, c);
    glVertex3f(0.0f, b, c);
    glVertex3f(0.0f, b, 0.0f);
    glEnd();
}

void drawBlock(Block block) {
    glPushMatrix();
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colorTable[block.color]);
    drawScaledCylinder(1.5f, 1.5f, 1.5f);
    glPopMatrix();
}

void drawClawFinger() {
    glPushMatrix(); // arm, along +x
    glRotatef(90.0f, 0.0f, 0.0f, -1.0f);
    drawScaledCylinder(0.1f, 2.0f, 0.3f);
    glPopMatrix();

    glPushMatrix(); // drop, from the arm's end downward
    glTranslatef(2.0f, 0.0f, 0.0f);
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
    drawScaledCylinder(0.1f, 2.0f, 0.3f);
    glPopMatrix();
}

static void drawBaseLeg(float x, float y, float z, float angle, float rx, float rz, float length) {
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(angle, rx, 0.0f, rz);
    drawScaledCylinder(0.1f, length, 0.1f);
    glPopMatrix();
}

void drawCraneBase() {
    const float s = 3.9f;     // size of the base block
    const float h = s / 2;    // its height
    const float t = 0.6f * s; // length of its bottom along x
    const float e = 0.5f;     // inset of the frame on the slanted side
    // Recomputed every call, as the base has always done; cheap next to the meshes.
    float legAngle =
        static_cast<float>(std::atan2(double(s / 2), double(s - h / 2)) * 180 / PI_VALUE);
    float legLength = static_cast<float>(std::sqrt(double(s * s / 16 + s * s / 4)));

    glPushMatrix();

    glBegin(GL_QUAD_STRIP);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(s, h, s);
    glVertex3f(t, 0.0f, s);
    glVertex3f(0.0f, h, s);
    glVertex3f(0.0f, 0.0f, s);
    glNormal3f(-1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, h, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glNormal3f(0.0f, 0.0f, -1.0f);
    glVertex3f(s, h, 0.0f);
    glVertex3f(t, 0.0f, 0.0f);
    glEnd();

    glEnable(GL_NORMALIZE);

    glBegin(GL_QUAD_STRIP);
    glNormal3f(s - t, h, 0.0f);
    glVertex3f(t, 0.0f, s);
    glVertex3f(t + e, e, s - e);
    glVertex3f(s, h, s);
    glVertex3f(s - e, h - e, s - e);
    glNormal3f(s - t, h, 0.0f);
    glVertex3f(s, h, 0.0f);
    glVertex3f(s - e, h - e, e);
    glNormal3f(s - t, h, 0.0f);
    glVertex3f(t, 0.0f, 0.0f);
    glVertex3f(t + e, e, e);
    glNormal3f(s - t, h, 0.0f);
    glVertex3f(t, 0.0f, s);
    glVertex3f(t + e, e, s - e);
    glEnd();

    glBegin(GL_QUADS);
    glNormal3f(0.0f, -1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(t, 0.0f, 0.0f);
    glVertex3f(t, 0.0f, s);
    glVertex3f(0.0f, 0.0f, s);
    glEnd();

    glPushMatrix(); // platform
    glTranslatef(s / 4 - 0.2, s - 0.2, s / 4 - 0.2);
    drawBox(h + 0.4, 0.15f, h + 0.4);
    glPopMatrix();

    drawBaseLeg(0.0f, h, s, legAngle, -1.0f, -1.0f, legLength);
    drawBaseLeg(s, h, s, legAngle, -1.0f, 1.0f, legLength);
    drawBaseLeg(s, h, 0.0f, legAngle, 1.0f, 1.0f, legLength);
    drawBaseLeg(0.0f, h, 0.0f, legAngle, 1.0f, -1.0f, legLength);

    glPopMatrix();
}

// Hub frame: y is the world's vertical, turned once more by the slew.
static void drawClaw(float clawAngle) {
    glPushMatrix(); // +x
    glRotatef(-clawAngle, 0.0f, 0.0f, 1.0f);
    drawClawFinger();
    glPopMatrix();

    glPushMatrix(); // -x
    glRotatef(clawAngle, 0.0f, 0.0f, 1.0f);
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    drawClawFinger();
    glPopMatrix();

    glPushMatrix(); // -z
    glRotatef(-clawAngle, 1.0f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    drawClawFinger();
    glPopMatrix();

    glPushMatrix(); // +z
    glRotatef(clawAngle, 1.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    drawClawFinger();
    glPopMatrix();
}

void drawCrane() {
    const CranePose &pose = cranePose;
    glPushMatrix();
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, CRANE_GREY);

    glTranslatef(0.0f, 0.0f, 0.4f);
    drawCraneBase();
    glTranslatef(0.0f, 0.0f, -0.4f);

    glPushMatrix(); // tower
    drawScaledCylinder(0.8f, 8.0f, 0.8f);
    glPopMatrix();

    glTranslatef(0.0f, 7.75f, 0.0f);
    glRotatef(pose.slewAngle, 0.0f, 1.0f, 0.0f);
    glRotatef(-pose.luffAngle, 0.0f, 0.0f, 1.0f);

    glPushMatrix(); // boom
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    drawScaledCylinder(0.5f, 10.0f, 0.5f);
    glPopMatrix();

    glTranslatef(-9.5f, 0.0f, 0.0f);
    // Undo the luff so the cable hangs plumb; the second slew turns the claw twice.
    glRotatef(pose.luffAngle, 0.0f, 0.0f, 1.0f);
    glRotatef(pose.slewAngle, 0.0f, 1.0f, 0.0f);

    glPushMatrix(); // cable
    glTranslatef(0.0f, -pose.cableLength, 0.0f);
    drawScaledCylinder(0.15f, pose.cableLength, 0.15f);
    glPopMatrix();

    glTranslatef(0.0f, -pose.cableLength + 0.2, 0.0f);
    drawClaw(pose.clawAngle);

    if (heldBlock != -1 && manualMode == 0 && isBlockIndex(heldBlock)) {
        glPushMatrix();
        glTranslatef(0.0f, -3.2f, 0.0f);
        drawBlock(blockTable[heldBlock]);
        glPopMatrix();
    }

    glPopMatrix();
}
