// Shared types and the program-wide state every subsystem reads: the block table,
// the crane pose, the automation's hand-off values and the mode flags.
#ifndef VINCA_COMMON_H
#define VINCA_COMMON_H

// The program's own approximations; every angle conversion uses these, not M_PI.
const double PI_VALUE = 3.14159;
const double HALF_PI_VALUE = 1.570795;
const double FULL_TURN = 6.28318;

struct Point3 {
    float x, y, z; // world units, y up
};

const int MAX_BLOCKS = 30;

struct Block {
    float x, y, z; // position of the block's bottom centre; z is never exactly 0 once loaded
    int tag;       // carried along from the file, never consulted
    int color;     // row of colorTable, 0..11
    int present;   // 1 on the quay, 0 once unloaded onto the ship
};

extern Block blockTable[MAX_BLOCKS]; // entries 0..blockCount-1 hold the file's blocks in order
extern int blockCount; // 0..MAX_BLOCKS; emptied by restartOn, counted up by readBlockFile

// The four joints of the crane. Angles in degrees, cable in world units.
struct CranePose {
    float slewAngle;   // about the vertical; positive swings the boom tip from -x toward +z
    float luffAngle;   // boom elevation; positive raises the tip
    float cableLength; // cable below the boom tip
    float clawAngle;   // finger tilt; 0 wide open, positive closes
};

extern CranePose cranePose;

// The crane's measures, in world units: its drawing and the automatic sequences both follow
// them. Each round piece is the unit cylinder (1 across, 1 high) scaled.
const float TOWER_HEIGHT = 8.0f; // from the quay's top to the tower's top
const float TOWER_WIDTH = 0.8f;  // its diameter; the base, set off by its radius, touches it
const float BOOM_WIDTH = 0.5f;   // the boom's diameter
const float BOOM_LENGTH = 10.0f; // from the pivot out to the boom's end
// The slew and luff pivot, a boom radius below the tower's top: the horizontal boom lies on it.
const float BOOM_PIVOT_HEIGHT = TOWER_HEIGHT - BOOM_WIDTH / 2;
// From the pivot out to the boom tip, where the cable hangs, 0.5 short of the boom's end: the
// farthest from the crane's axis that a block can stand and be fetched.
const float BOOM_TIP_REACH = BOOM_LENGTH - 0.5f;
const double CLAW_OFFSET = 0.2;   // the claw's hub above the cable's end, added in double
const float FINGER_LENGTH = 2.0f; // each limb of a claw finger: out from the hub, then down
// From the claw's hub down to the held block's base: 3 below the cable's end, the block's top
// between the closed fingers.
const float HELD_BLOCK_HANG = 3.2f;

// Rest pose: the crane at start-up, after every reset and at the end of every transport.
const CranePose REST_POSE = {0.0f, 0.0f, 3.0f, 0.0f};
const Point3 REST_BOOM_TIP = {-BOOM_TIP_REACH, BOOM_PIVOT_HEIGHT, 0.0f};

extern Point3 boomTip;    // boom tip (later the claw) as the automatic sequences track it
extern int heldBlock;     // block index in the claw, or -1
extern int targetBlock;   // block index being fetched, or -1
extern int readyForOrder; // 1 while the crane accepts a pick
extern int manualMode;    // 1 in manual mode, 0 in block-collection mode

// Sets boomTip and cranePose to the rest pose. Used after loading, by the block-collection
// menu entry and at the end of every transport.
void setRestPose();

// True when index names a loaded block; guards every blockTable access by index.
bool isBlockIndex(int index);

// Turns used by the camera and the automatic sequences: sin and cos of the angle (radians;
// callers' 32-bit angles widen exactly) and the new coordinates from the old ones in
// double, stored as float.
// About the vertical: x' = x cos w + z sin w, z' = -x sin w + z cos w.
void turnAboutVertical(Point3 *p, double w);
// About the Z direction: x' = x cos w - y sin w, y' = x sin w + y cos w.
void turnAboutZ(Point3 *p, double w);

#endif
