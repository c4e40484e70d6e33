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

// The page names the blocks: the names above, in the same order.
const char *const colorNames[12] = {
    "white", "magenta",      "cyan",          "yellow", "red",   "green",
    "blue",  "yellow-green", "light magenta", "rose",   "azure", "violet",
};

static const float CRANE_GREY[4] = {0.7f, 0.7f, 0.7f, 0.0f};

static void drawScaledCylinder(float sx, float sy, float sz) {
    glScalef(sx, sy, sz);
    drawMesh(unitCylinder, MESH_SOLID);
}

void setMaterialColour(const float *colour) {
    glMaterialfv(GL_FRONT, GL_AMBIENT, colour);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, colour);
}

// Drawn as it always was, a quad strip round four faces and the two end quads, cut into the
// triangles GL made of them.
void drawBox(float a, float b, float c) {
    const Point3 back = {0.0f, 0.0f, -1.0f}, top = {0.0f, 1.0f, 0.0f};
    const Point3 front = {0.0f, 0.0f, 1.0f}, bottom = {0.0f, -1.0f, 0.0f};
    const Point3 right = {1.0f, 0.0f, 0.0f}, left = {-1.0f, 0.0f, 0.0f};
    const LitVertex strip[10] = {{back, {a, 0.0f, 0.0f}},   {back, {0.0f, 0.0f, 0.0f}},
                                 {back, {a, b, 0.0f}},      {back, {0.0f, b, 0.0f}},
                                 {top, {a, b, c}},          {top, {0.0f, b, c}},
                                 {front, {a, 0.0f, c}},     {front, {0.0f, 0.0f, c}},
                                 {bottom, {a, 0.0f, 0.0f}}, {bottom, {0.0f, 0.0f, 0.0f}}};
    const LitVertex ends[8] = {{right, {a, 0.0f, 0.0f}},   {right, {a, b, 0.0f}},
                               {right, {a, b, c}},         {right, {a, 0.0f, c}},
                               {left, {0.0f, 0.0f, 0.0f}}, {left, {0.0f, 0.0f, c}},
                               {left, {0.0f, b, c}},       {left, {0.0f, b, 0.0f}}};
    LitVertex triangles[36];
    int n = quadStripToTriangles(strip, 10, triangles);
    n += quadToTriangles(&ends[0], triangles + n);
    n += quadToTriangles(&ends[4], triangles + n);
    drawLitTriangles(triangles, n);
}

void drawBlock(Block block) {
    glPushMatrix();
    setMaterialColour(colorTable[block.color]);
    drawScaledCylinder(BLOCK_SIZE, BLOCK_SIZE, BLOCK_SIZE);
    glPopMatrix();
}

void drawClawFinger() {
    glPushMatrix(); // arm, along +x
    glRotatef(90.0f, 0.0f, 0.0f, -1.0f);
    drawScaledCylinder(0.1f, FINGER_LENGTH, 0.3f);
    glPopMatrix();

    glPushMatrix(); // drop, from the arm's end downward
    glTranslatef(FINGER_LENGTH, 0.0f, 0.0f);
    glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
    drawScaledCylinder(0.1f, FINGER_LENGTH, 0.3f);
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

    const Point3 front = {0.0f, 0.0f, 1.0f}, left = {-1.0f, 0.0f, 0.0f};
    const Point3 back = {0.0f, 0.0f, -1.0f}, slant = {s - t, h, 0.0f};
    const Point3 bottom = {0.0f, -1.0f, 0.0f};
    const LitVertex sides[8] = {{front, {s, h, s}},      {front, {t, 0.0f, s}},
                                {front, {0.0f, h, s}},   {front, {0.0f, 0.0f, s}},
                                {left, {0.0f, h, 0.0f}}, {left, {0.0f, 0.0f, 0.0f}},
                                {back, {s, h, 0.0f}},    {back, {t, 0.0f, 0.0f}}};
    // The slanted side's frame, round its opening, and the bottom.
    const LitVertex frame[10] = {{slant, {t, 0.0f, s}},    {slant, {t + e, e, s - e}},
                                 {slant, {s, h, s}},       {slant, {s - e, h - e, s - e}},
                                 {slant, {s, h, 0.0f}},    {slant, {s - e, h - e, e}},
                                 {slant, {t, 0.0f, 0.0f}}, {slant, {t + e, e, e}},
                                 {slant, {t, 0.0f, s}},    {slant, {t + e, e, s - e}}};
    const LitVertex base[4] = {{bottom, {0.0f, 0.0f, 0.0f}},
                               {bottom, {t, 0.0f, 0.0f}},
                               {bottom, {t, 0.0f, s}},
                               {bottom, {0.0f, 0.0f, s}}};
    LitVertex triangles[30];
    drawLitTriangles(triangles, quadStripToTriangles(sides, 8, triangles));
    drawLitTriangles(triangles, quadStripToTriangles(frame, 10, triangles));
    // The bottom lies in the quay's top plane: pushed back in depth, so that the quay shows
    // through the opening as one surface from every pose, instead of stripes of both.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    drawLitTriangles(triangles, quadToTriangles(base, triangles));
    glDisable(GL_POLYGON_OFFSET_FILL);

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
    setMaterialColour(CRANE_GREY);

    glTranslatef(0.0f, 0.0f, TOWER_WIDTH / 2);
    drawCraneBase();
    glTranslatef(0.0f, 0.0f, -TOWER_WIDTH / 2);

    glPushMatrix(); // tower
    drawScaledCylinder(TOWER_WIDTH, TOWER_HEIGHT, TOWER_WIDTH);
    glPopMatrix();

    glTranslatef(0.0f, BOOM_PIVOT_HEIGHT, 0.0f);
    glRotatef(pose.slewAngle, 0.0f, 1.0f, 0.0f);
    glRotatef(-pose.luffAngle, 0.0f, 0.0f, 1.0f);

    glPushMatrix(); // boom
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    drawScaledCylinder(BOOM_WIDTH, BOOM_LENGTH, BOOM_WIDTH);
    glPopMatrix();

    glTranslatef(-BOOM_TIP_REACH, 0.0f, 0.0f);
    // Undo the luff so the cable hangs plumb; the second slew turns the claw twice.
    glRotatef(pose.luffAngle, 0.0f, 0.0f, 1.0f);
    glRotatef(pose.slewAngle, 0.0f, 1.0f, 0.0f);

    glPushMatrix(); // cable
    glTranslatef(0.0f, -pose.cableLength, 0.0f);
    drawScaledCylinder(0.15f, pose.cableLength, 0.15f);
    glPopMatrix();

    glTranslatef(0.0f, -pose.cableLength + CLAW_OFFSET, 0.0f);
    drawClaw(pose.clawAngle);

    if (heldBlock != -1 && manualMode == 0 && isBlockIndex(heldBlock)) {
        glPushMatrix();
        glTranslatef(0.0f, -HELD_BLOCK_HANG, 0.0f);
        drawBlock(blockTable[heldBlock]);
        glPopMatrix();
    }

    glPopMatrix();
}
