// Picking a block with the mouse and the two idle-driven sequences that load it.
#ifndef VINCA_AUTOMATION_H
#define VINCA_AUTOMATION_H

#include "common/common.h"

// a*X + b*Z + c = 0 in the ground plane; the value at a point is proportional to its
// signed distance from the line.
struct Line2 {
    float a, b, c;
};

extern Line2 radialLine; // through the crane axis and the target block; set on each pick
extern Line2 crossLine;  // through the target block, across its bearing; set on each pick

// Pick-up stages, set in order by pickUpStep.
extern int slewAligned;
extern int reachAligned;
extern int heightReached;
extern int gripClosed;

// Transport phases, set in order by transportStep, which runs from the closed claw on.
extern int overShip;
extern int released;

// Clears the stages and phases above, so that the next step starts an order from its first
// stage. Called by each accepted pick; nothing else clears them.
void clearStageFlags();

const int SELECT_BUFFER_SIZE = 512;
const unsigned int BACKGROUND_NAME = 0xFFFFFFFFu; // the axes and the quay

const float SLEW_TOLERANCE = 1.0f;
const float REACH_TOLERANCE = 0.2f;
const float HEIGHT_MARGIN = 4.0f;
const float CLOSED_CLAW = 29.0f;
const float CARRY_CABLE = 5.0f;
const float SET_DOWN_CABLE = 12.0f;
const float SHIP_SLEW = 180.0f;

// One degree in radians as the sequences turn boomTip: 0.0174532775, from 3.14159.
const float STEP_ANGLE = static_cast<float>(PI_VALUE / 180);

float lineValue(Line2 line, float x, float z);

// GLUT mouse callback: releasing the left button picks.
void mouse(int button, int state, int x, int y);

// Resolves a click at window pixel (x, y) (origin top left) with the picker the GL has
// (selectPick, or colourPick where there is no selection mode) and, if the crane is free and
// a block is hit, starts the operation.
void pickBlock(int x, int y);

// A hit's answer: block is what the pick resolved to (-1 for a hit on the axes or the quay),
// or what the page's list of waiting blocks names. A waiting block, the crane free, starts
// the operation; a busy crane says so, whatever was hit.
void orderBlock(int block);

// The picker where GL has selection mode: the pick scene in GL_SELECT mode through a 5 x 5 pixel
// pick matrix. Returns the hit count; *block is the front-most block hit, or -1.
int selectPick(int x, int y, int *block);

// selectPick's selection pass alone: fills buffer (SELECT_BUFFER_SIZE words) with the hit
// records and returns their count.
int selectHits(int x, int y, unsigned int *buffer);

// The same answer without OpenGL selection, for a GL that has none (the browser's): the pick scene
// in flat colours, read back with glReadPixels. Returns the blocks seen in the region plus one if
// the axes or the quay show there: 0 exactly where selectPick's count is 0. Sets *block as
// selectPick does. Draws into the corner of the buffer it reads (up to 100 x 100 pixels)
// and does not swap: the caller redraws. Puts back the GL state it changes, but leaves
// the current colour white and the modelview matrix selected.
int colourPick(int x, int y, int *block);

// The pickable scene under names; only while the render mode is GL_SELECT.
void drawPickScene();

// Block index chosen from a selection buffer: the front-most hit named by a loaded
// block, or -1. Reads only the hits records that exist.
int chooseHitBlock(const unsigned int *buffer, int hits);

// Sets radialLine and crossLine for the block and prints the three approach lines.
void computeApproachLines(Block block);

// Idle step from an accepted pick until the claw has closed.
void pickUpStep();

// Idle step from the closed claw until the crane is back at rest.
void transportStep();

#endif
