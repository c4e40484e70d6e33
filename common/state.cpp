// Definitions and start values of the shared state.
#include "common/common.h"

Block blockTable[MAX_BLOCKS];
int blockCount = 0;

CranePose cranePose = {0.0f, 0.0f, 3.0f, 0.0f};

Point3 boomTip = REST_BOOM_TIP;
int heldBlock = -1;
int targetBlock = -1;
int readyForOrder = 1;
int manualMode = 0;

void setRestPose() {
    boomTip = REST_BOOM_TIP;
    cranePose.slewAngle = 0.0f;
    cranePose.luffAngle = 0.0f;
    cranePose.cableLength = 3.0f;
    cranePose.clawAngle = 0.0f;
}

bool isBlockIndex(int index) {
    return index >= 0 && index < blockCount;
}
