// The loading sequences driven call by call through the installed idle function; menu and keys.
#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "support/operation.h"

#include "platform/platform.h"
#include <cmath>
#include <cstring>
#include <unistd.h>

using OperationSequence = GLTest;
using OperationControls = GLTest;

TEST_F(OperationSequence, BlockAtMinus5_0_3StageByStageWithItsTranscript) {
    resetScene({{-5, 0, 3}});
    std::string out = startOrder(0);
    // Call in which each flag turns 1, a pose value then, and the idle function after it.
    struct {
        int call, *flag;
        float *value, expected;
        void (*idle)();
    } marks[] = {{31, &slewAligned, &cranePose.slewAngle, 30, pickUpStep},
                 {81, &reachAligned, &cranePose.luffAngle, 49, pickUpStep},
                 {90, &heightReached, &cranePose.cableLength, 12, pickUpStep},
                 {119, &gripClosed, &cranePose.clawAngle, 29, transportStep},
                 {119 + 200, &overShip, &cranePose.cableLength, 6, transportStep},
                 {119 + 236, &released, &cranePose.cableLength, 11, transportStep}};
    int calls = 0;
    for (const auto &m : marks) {
        calls += runIdle(m.call - 1 - calls, &out);
        EXPECT_EQ(*m.flag, 0) << "after call " << calls;
        calls += runIdle(1, &out);
        EXPECT_TRUE(*m.flag == 1 && *m.value == m.expected && installedIdleStep() == m.idle)
            << "call " << calls << ": flag " << *m.flag << ", value " << *m.value;
    }
    EXPECT_TRUE(blockTable[0].present == 0 && heldBlock == -1) << "block not unloaded";
    EXPECT_EQ(runIdle(188, &out) + runIdle(10, &out), 189) << "the transport takes 425 calls";
    EXPECT_TRUE(atRest() && readyForOrder == 1 && targetBlock == -1 && overShip && released);
    EXPECT_EQ(out, ACCEPT.substr(ACCEPT.find("\nPosicion")) + AIM + GRIP_TO_REST);
}

// The sample file's blocks and edge ones: +X side, no lowering, on the Z axis.
TEST_F(OperationSequence, EveryBlockCompletesACycle) {
    ASSERT_TRUE(loadBlocks(VINCA_SOURCE_DIR "/data/blocks.txt"));
    std::vector<Point3> blocks = {{5, 0, 3}, {-8, 1, 4}, {0, 0, 6}, {0, 0, -6}};
    for (int i = 0; i < blockCount; i++) {
        blocks.push_back({blockTable[i].x, blockTable[i].y, blockTable[i].z});
    }
    for (Point3 b : blocks) {
        SCOPED_TRACE(testing::Message() << "block " << b.x << ", " << b.y << ", " << b.z);
        resetScene({{7, 0, 7}, b});
        std::string out = startOrder(1);
        int calls = 0, reachCall = 0, heightCall = 0;
        while (installedIdleStep() == pickUpStep && calls < 400) {
            calls += runIdle(1, &out);
            reachCall = reachCall ? reachCall : reachAligned * calls;
            heightCall = heightCall ? heightCall : heightReached * calls;
        }
        ASSERT_EQ(installedIdleStep(), transportStep) << "pick-up unfinished after " << calls;
        // Lowering starts in the call the reach is met, one unit a call; then 29 claw steps.
        EXPECT_EQ(heightCall - reachCall, cranePose.cableLength - 3);
        EXPECT_EQ(calls, heightCall + 29);
        EXPECT_LT(std::hypot(boomTip.x - b.x, boomTip.z - b.z), 0.75) << "claw off the block";
        EXPECT_TRUE(b.x <= 0 || cranePose.luffAngle < 0) << "luff " << cranePose.luffAngle;
        EXPECT_TRUE((b.x <= 0 && b.y == 0) || cranePose.cableLength == 3) << "lowered";
        EXPECT_LT(runIdle(600, &out), 600) << "transport unfinished";
        EXPECT_TRUE(atRest() && blockTable[0].present == 1 && blockTable[1].present == 0);
        EXPECT_TRUE(out.find("inf") == out.npos && out.find("nan") == out.npos) << out;
    }
}

TEST_F(OperationSequence, TransportFromGivenPoses) {
    // Start pose (slew, luff, cable, claw); calls ending phases 1, 2 and 3; widest |slew|.
    float cases[][8] = {{30, 49, 12, 29, 200, 236, 425, 180},
                        {0, 20, 12, 29, 21, 57, 66, 0},
                        {149, -49, 3, 29, 32, 70, 259, 180},
                        {-23, 31, 9, 29, 189, 225, 414, 180}};
    for (const float *c : cases) {
        resetScene({{-5, 0, 3}});
        cranePose = {c[0], c[1], c[2], c[3]};
        heldBlock = 0;
        clearStageFlags();
        setIdleStep(transportStep);
        int calls = 0, ends[2] = {0, 0};
        float widest = 0;
        while (installedIdleStep() != nullptr && calls < 1000) {
            widest = std::fmax(widest, std::fabs(cranePose.slewAngle));
            calls += runIdle(1);
            ends[0] = ends[0] ? ends[0] : overShip * calls;
            ends[1] = ends[1] ? ends[1] : released * calls;
        }
        EXPECT_TRUE(ends[0] == c[4] && ends[1] == c[5] && calls == c[6] && widest == c[7])
            << "from slew " << c[0] << ": " << ends[0] << " " << ends[1] << " " << calls << " "
            << widest;
        EXPECT_TRUE(atRest() && blockTable[0].present == 0);
    }
}

// Block collection chosen mid-lowering: the step runs on from rest without a target, so
// stage 3 stops at once and the release unloads nothing.
TEST_F(OperationSequence, CollectionEntryDuringOperationRunsOnWithoutABlock) {
    resetScene({{-5, 0, 3}});
    startOrder(0);
    runIdle(85);
    EXPECT_EQ(captured([] { menuSelect(MENU_COLLECTION_MODE); }), "");
    std::string out;
    runIdle(1, &out);
    EXPECT_TRUE(heightReached == 1 && heldBlock == -1 && cranePose.cableLength == 3);
    EXPECT_LT(runIdle(1000, &out), 1000);
    EXPECT_EQ(out, GRIP_TO_REST);
    EXPECT_TRUE(atRest() && readyForOrder == 1 && blockTable[0].present == 1);
}

// Manual mode chosen while carrying freezes everything; values that are no menu entry do
// nothing; block collection then resets all but the flags and the running step.
TEST_F(OperationControls, MenuEntriesDuringOperation) {
    resetScene({{-5, 0, 3}, {-7, 0, -3}});
    startOrder(0);
    runIdle(119 + 20);
    blockTable[1].present = 0;
    std::string carrying = stateText();
    for (int value : {MENU_MANUAL_MODE, -1, 3, 100}) {
        EXPECT_EQ(captured([&] { menuSelect(value); }), "") << value;
        EXPECT_EQ(stateText(), carrying) << value;
        EXPECT_TRUE(manualMode == 1 && installedIdleStep() == nullptr) << value;
    }
    setIdleStep(transportStep);
    EXPECT_EQ(captured([] { menuSelect(MENU_COLLECTION_MODE); }), "");
    EXPECT_TRUE(atRest() && blockTable[0].present == 1 && blockTable[1].present == 1);
    EXPECT_TRUE(manualMode == 0 && readyForOrder == 1 && heldBlock == -1 && targetBlock == -1);
    EXPECT_TRUE(gripClosed == 1 && installedIdleStep() == transportStep) << "flags, step untouched";
}

// The key table's keys of group, in its order.
static std::string keysOf(KeyGroup group) {
    std::string keys;
    for (int i = 0; i < KEY_COUNT; i++) {
        keys += KEYS[i].group == group ? std::string(1, static_cast<char>(KEYS[i].key)) : "";
    }
    return keys;
}

static std::string press(unsigned char key, int times = 1) {
    return captured([&] {
        for (int i = 0; i < times; i++) {
            keyboard(key, 0, 0);
        }
    });
}

TEST_F(OperationControls, ManualKeysStopExactlyAtTheirBounds) {
    // Key, start, presses, value then, value after one press more. Strict comparisons on the
    // value before each step: a value beyond a bound is not clamped, only moved back.
    float cases[][5] = {{'c', 3, 10, 13, 13},          {'C', 3, 2, 1, 1},
                        {'z', 0, 85, 85, 85},          {'Z', 0, 25, -25, -25},
                        {'d', 0, 44, 44, 44},          {'D', 0, 20, -20, -20},
                        {'y', 0, 400, 400, 401},       {'Y', 0, 400, -400, -401},
                        {'c', 15, 1, 15, 15},          {'C', 15, 1, 14, 13},
                        {'c', 12.5f, 1, 13.5f, 13.5f}, {'Z', 90, 1, 89, 88},
                        {'d', -30, 1, -29, -28},       {'D', -30, 1, -30, -30}};
    for (const float *c : cases) {
        unsigned char key = static_cast<unsigned char>(c[0]);
        float CranePose::*joint = findKey(key)->joint;
        resetScene({});
        manualMode = 1;
        cranePose.*joint = c[3];
        std::string expected = stateText(); // the joint alone moves
        cranePose.*joint = c[1];
        EXPECT_EQ(press(key, static_cast<int>(c[2])), "");
        EXPECT_EQ(stateText(), expected) << key << " x" << c[2] << " from " << c[1];
        press(key);
        EXPECT_EQ(cranePose.*joint, c[4]) << key << " once more";
    }
}

TEST_F(OperationControls, CraneKeysRefusedInCollectionModeCameraKeysWorkInBoth) {
    for (unsigned char key : keysOf(KEY_CRANE)) {
        resetScene({});
        EXPECT_EQ(press(key), REFUSED_KEY_TEXT) << key;
        EXPECT_TRUE(atRest()) << key;
    }
    for (int mode : {0, 1}) {
        for (unsigned char key : keysOf(KEY_CAMERA)) {
            resetScene({});
            moveCamera(cameraMoveOf(key));
            Camera expected = camera;
            setCameraDefaults();
            manualMode = mode;
            EXPECT_EQ(press(key), "");
            EXPECT_EQ(std::memcmp(&expected, &camera, sizeof camera), 0) << key << mode;
        }
    }
}

// Escape, q, Q and "Exit", mid-operation in collection mode and at rest in manual mode:
// status 0 and not a byte printed (stdout goes to the stderr that is checked).
TEST(OperationControlsDeathTest, ExitsEndWithStatusZeroPrintingNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int mode : {0, 1}) {
        for (int action : {27, int('q'), int('Q'), -1}) {
            EXPECT_EXIT(
                {
                    resetScene({{-5, 0, 3}});
                    manualMode = mode;
                    if (mode == 0) {
                        startOrder(0);
                        runIdle(150);
                    }
                    std::fflush(stdout);
                    dup2(2, 1);
                    action < 0 ? menuSelect(MENU_EXIT) : keyboard(action, 0, 0);
                },
                testing::ExitedWithCode(0), "^$")
                << "action " << action << " in mode " << mode;
        }
    }
}
