// The scene: crane model, blocks, scenery, lights and the display pass.
#ifndef VINCA_SCENE_H
#define VINCA_SCENE_H

#include "common/common.h"

extern const float colorTable[12][4]; // RGBA material per block colour, alpha 0
extern const float light0Position[4]; // directional, from (5, 10, 10)
extern const float light1Position[4]; // directional, from -z

// Each colour of colorTable as the page names it, in English.
extern const char *const colorNames[12];

const float AXIS_LENGTH = 80.0f;
const float BLOCK_SIZE = 1.5f; // a block is unitCylinder scaled by this: 1.5 high and across

// The quay, a box from its lowest corner: its top face is the plane y = 0 the crane stands
// on, and its +x face, at x = 2.34, is flush with the foot of the crane base's slanted side.
const Point3 QUAY_CORNER = {-17.66f, -10.0f, -8.0f};
const Point3 QUAY_SIZE = {20.0f, 10.0f, 20.0f};

// The ship's deck, a quad facing up between two corners of its own frame, which the display
// pass places at DECK_ORIGIN turned DECK_TURN degrees about the vertical: the deck lies at
// y = -4, over x 4 to 14 and z -14 to 15.5, beside the quay and under the boom's tip at a
// half turn.
const Point3 DECK_NEAR_CORNER = {-0.5f, 6.0f, 0.0f};
const Point3 DECK_FAR_CORNER = {29.0f, 6.0f, 10.0f};
const Point3 DECK_ORIGIN = {4.0f, -10.0f, 15.0f};
const float DECK_TURN = 90.0f;

// Draws the crane from cranePose, with the held block in the claw in block-collection
// mode. Leaves the caller's matrix unchanged.
void drawCrane();

// Base block with its slanted frame, platform and four legs. Called by drawCrane only.
void drawCraneBase();

// One L-shaped finger from the hub along +x. Called by drawCrane only.
void drawClawFinger();

// The material colour of what follows: ambient and diffuse alike, in two calls (some GLs lack
// GL_AMBIENT_AND_DIFFUSE).
void setMaterialColour(const float *colour);

// Axis-aligned box from (0, 0, 0) to (a, b, c) with outward normals; no material of its own.
void drawBox(float a, float b, float c);

// A block's cylinder (radius 0.75, height 1.5) in its colour, bottom centre at the origin.
void drawBlock(Block block);

// True for a loaded block that waits on the quay: not unloaded, not in the claw. The blocks
// the display pass draws and the pickers can hit.
bool isWaitingBlock(int index);

// Every waiting block, in index order; under its index as selection name when named. Shared
// by the display pass and the selection pass.
void drawWaitingBlocks(bool named);

// GLUT display callback: one whole frame.
void display();

// Three lines from the origin along +y, +x and +z.
void drawAxes(float length);

// The quay box, QUAY_SIZE from QUAY_CORNER.
void drawQuay();

// The deck quad in its local frame; display places it.
void drawShipDeck();

#endif
