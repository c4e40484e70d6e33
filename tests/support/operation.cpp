#include "support/operation.h"

#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "geometry/mesh.h"

#include "platform/platform.h"
#include <cmath>
#include <sstream>

std::string captured(const std::function<void()> &f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

int runIdle(int n, std::string *out) {
    int calls = 0;
    std::string text = captured([&] {
        for (; calls < n && installedIdleStep() != nullptr; calls++) {
            installedIdleStep()();
        }
    });
    if (out != nullptr) {
        *out += text;
    }
    return calls;
}

void resetScene(const std::vector<Point3> &blocks) {
    ensureCylinder();
    blockCount = static_cast<int>(blocks.size());
    for (int i = 0; i < blockCount; i++) {
        blockTable[i] = {blocks[i].x, blocks[i].y, blocks[i].z, i, 0, 1};
    }
    ::resetScene();
    setIdleStep(nullptr);
    setCameraDefaults();
}

std::string startOrder(int block) {
    readyForOrder = 0;
    targetBlock = block;
    clearStageFlags();
    setIdleStep(pickUpStep);
    return captured([&] { computeApproachLines(blockTable[block]); });
}

bool atRest() {
    const CranePose &p = cranePose;
    return p.slewAngle == 0 && p.luffAngle == 0 && p.cableLength == 3 && p.clawAngle == 0 &&
           boomTip.x == REST_BOOM_TIP.x && boomTip.y == REST_BOOM_TIP.y &&
           boomTip.z == REST_BOOM_TIP.z;
}

std::string stateText() {
    const CranePose &p = cranePose;
    std::ostringstream s;
    s.precision(9);
    s << "pose " << p.slewAngle << " " << p.luffAngle << " " << p.cableLength << " " << p.clawAngle
      << " tip " << boomTip.x << " " << boomTip.y << " " << boomTip.z << " flags " << slewAligned
      << reachAligned << heightReached << gripClosed << overShip << released << " held "
      << heldBlock << " target " << targetBlock << " ready " << readyForOrder << " present";
    for (int i = 0; i < blockCount; i++) {
        s << " " << blockTable[i].present;
    }
    return s.str();
}
