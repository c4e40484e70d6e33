// The display pass as it was before the scene was drawn from vertex arrays: every vertex in
// immediate mode, one glBegin/glEnd per mesh triangle with its face normal computed per frame.
// Kept for the benchmark only, to time the old path beside the new one in one run.
#include "immediate_scene.h"

#include "camera/camera.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include "platform/platform.h"
#include <cmath>

namespace old {

inline const Point3 &vertexAt(const RevolutionMesh &mesh, int k) {
    return mesh.rows[k % mesh.profileCount][k / mesh.profileCount];
}

void drawTriangles(const RevolutionMesh &mesh) {
    glEnable(GL_NORMALIZE);
    for (int t = 0; t < mesh.triangleCount; t++) {
        const MeshTriangle &tri = mesh.triangles[t];
        const Point3 &v0 = vertexAt(mesh, tri.v[0]);
        const Point3 &v1 = vertexAt(mesh, tri.v[1]);
        const Point3 &v2 = vertexAt(mesh, tri.v[2]);
        Point3 u = {v1.x - v0.x, v1.y - v0.y, v1.z - v0.z};
        Point3 w = {v2.x - v0.x, v2.y - v0.y, v2.z - v0.z};
        // The builder winds the two triangles of a quad oppositely; parity evens it out.
        Point3 n = (t % 2 == 1) ? crossProduct(u, w) : crossProduct(w, u);
        glBegin(GL_TRIANGLES);
        glNormal3f(n.x, n.y, n.z);
        glVertex3f(v0.x, v0.y, v0.z);
        glVertex3f(v1.x, v1.y, v1.z);
        glVertex3f(v2.x, v2.y, v2.z);
        glEnd();
    }
}

const float CRANE_GREY[4] = {0.7f, 0.7f, 0.7f, 0.0f};

void drawScaledCylinder(float sx, float sy, float sz) {
    glScalef(sx, sy, sz);
    drawTriangles(unitCylinder);
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

void drawOldBlock(Block block) {
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

void drawBaseLeg(float x, float y, float z, float angle, float rx, float rz, float length) {
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
void drawClaw(float clawAngle) {
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
        drawOldBlock(blockTable[heldBlock]);
        glPopMatrix();
    }

    glPopMatrix();
}

const float LIGHT1_AMBIENT[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float LIGHT1_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float LIGHT1_SPECULAR[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float QUAY_COLOUR[4] = {0.7f, 0.7f, 1.0f, 0.0f};
const float DECK_COLOUR[4] = {0.5f, 0.7f, 0.6f, 0.0f};

void drawAxes(float length) {
    // Lit like everything else, so the colour shows only with lighting off.
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, length, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(length, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, length);
    glEnd();
}

void drawQuay() {
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, QUAY_COLOUR);
    glPushMatrix();
    glTranslatef(-17.66f, -10.0f, -8.0f);
    drawBox(20.0f, 10.0f, 20.0f);
    glPopMatrix();
}

void drawShipDeck() {
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, DECK_COLOUR);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glVertex3f(-0.5f, 6.0f, 0.0f);
    glVertex3f(-0.5f, 6.0f, 10.0f);
    glVertex3f(29.0f, 6.0f, 10.0f);
    glVertex3f(29.0f, 6.0f, 0.0f);
    glEnd();
}

void drawWaitingBlocks(bool named) {
    for (int i = 0; i < blockCount; i++) {
        if (i == heldBlock || blockTable[i].present == 0) {
            continue;
        }
        glPushMatrix();
        if (named) {
            glLoadName(static_cast<GLuint>(i));
        }
        glTranslatef(blockTable[i].x, blockTable[i].y, blockTable[i].z);
        drawOldBlock(blockTable[i]);
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
    glTranslatef(4.0f, -10.0f, 15.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    drawShipDeck();
    glPopMatrix();

    if (manualMode == 0) {
        drawWaitingBlocks(false);
    }

    glPopMatrix();
    glFlush();
    glutSwapBuffers();
}

} // namespace old

void immediateDisplay() {
    old::display();
}
