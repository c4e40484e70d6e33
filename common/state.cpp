// Definitions and start values of the shared state.
#include "common/common.h"

#include <cmath>

Block blockTable[MAX_BLOCKS];
int blockCount = 0;

CranePose cranePose = REST_POSE;

Point3 boomTip = REST_BOOM_TIP;
int heldBlock = -1;
int targetBlock = -1;
int readyForOrder = 1;
int manualMode = 0;

void setRestPose() {
    boomTip = REST_BOOM_TIP;
    cranePose = REST_POSE;
}

bool isBlockIndex(int index) {
    return index >= 0 && index < blockCount;
}

// A double parameter keeps std::sin and std::cos off their float overloads.
void turnAboutVertical(Point3 *p, double w) {
    double c = std::cos(w), s = std::sin(w);
    double x = p->x, z = p->z;
    p->x = static_cast<float>(x * c + z * s);
    p->z = static_cast<float>(-x * s + z * c);
}

void turnAboutZ(Point3 *p, double w) {
    double c = std::cos(w), s = std::sin(w);
    double x = p->x, y = p->y;
    p->x = static_cast<float>(x * c - y * s);
    p->y = static_cast<float>(x * s + y * c);
}
