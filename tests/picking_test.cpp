// Picking through real GL_SELECT in the hidden test window.
#include "automation/automation.h"
#include "support/block_pixel.h"
#include "support/operation.h"

#include "platform/platform.h"

using OperationPicking = GLTest;

const Point3 BLOCK = {-5, 0, 3};
const int SKY_X = 20, SKY_Y = 10; // white: nothing drawn near it

static void scene(const std::vector<Point3> &blocks) {
    resetScene(blocks);
    cameraAfterKeys(VIEW_KEYS);
}

// Releases the left button over pixel (x, y), or over the middle of a block standing at b.
static std::string clickAt(int x, int y) {
    return captured([&] { mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y); });
}
static std::string clickOn(Point3 b) {
    int x, y;
    blockPixel(b, 500, 500, &x, &y);
    return clickAt(x, y);
}

// Base of a block whose middle is seen at pixel (x, y) at window depth z (0: near plane).
static Point3 blockSeenAt(int x, int y, double z) {
    double modelview[16], projection[16], p[3];
    const GLint viewport[4] = {0, 0, 500, 500};
    cameraMatrices(500, 500, modelview, projection);
    gluUnProject(x, 500 - y, z, modelview, projection, viewport, &p[0], &p[1], &p[2]);
    return {float(p[0]), float(p[1] - 0.75), float(p[2])};
}

TEST_F(OperationPicking, ClickOutcomesFromRestToBusy) {
    scene({{-6, 0, -4}, BLOCK});
    EXPECT_EQ(clickAt(SKY_X, SKY_Y), "\nNada seleccionado");
    EXPECT_EQ(clickOn({-12, -0.75f, -5}), "") << "bare quay";
    heldBlock = 1;
    blockTable[0].present = 0;
    EXPECT_EQ(clickOn(BLOCK) + clickOn({-6, 0, -4}), "") << "held and unloaded blocks";
    heldBlock = -1;
    manualMode = 1; // the blocks are not drawn, but can be picked
    int x, y;
    blockPixel({BLOCK.x, 0, BLOCK.z}, 500, 500, &x, &y);
    EXPECT_EQ(captured([&] { mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y); }) +
                  captured([&] { mouse(GLUT_RIGHT_BUTTON, GLUT_UP, x, y); }),
              "")
        << "only the left button's release picks";
    EXPECT_TRUE(readyForOrder == 1 && installedIdleStep() == nullptr);
    slewAligned = reachAligned = heightReached = gripClosed = 1;
    EXPECT_EQ(clickAt(x, y), ACCEPT + BUSY) << "at pixel " << x << ", " << y;
    EXPECT_TRUE(readyForOrder == 0 && targetBlock == 1 && installedIdleStep() == pickUpStep);
    EXPECT_TRUE(slewAligned == 0 && reachAligned == 0 && heightReached == 0 && gripClosed == 0);
    int done = 0;
    for (int calls : {40, 100, 300}) { // slewing, gripping the held block, carrying it
        done += runIdle(calls - done);
        std::string state = stateText();
        EXPECT_EQ(clickOn(BLOCK), BUSY) << "after " << calls << " calls";
        EXPECT_EQ(stateText(), state) << "after " << calls << " calls";
        EXPECT_EQ(clickAt(SKY_X, SKY_Y), "\nNada seleccionado") << "after " << calls;
    }
}

// Two blocks on one line of sight, the quay behind both: the nearer wins, whatever its index.
TEST_F(OperationPicking, FrontMostOfTwoOverlappingBlocksWins) {
    for (int front : {0, 1}) {
        scene({BLOCK, BLOCK});
        int x, y;
        blockPixel({BLOCK.x, 0, BLOCK.z}, 500, 500, &x, &y);
        Point3 near = blockSeenAt(x, y, 0);
        blockTable[front] = {
            (BLOCK.x + near.x) / 2, (BLOCK.y + near.y) / 2, (BLOCK.z + near.z) / 2, 0, 0, 1};
        clickAt(x, y);
        EXPECT_EQ(targetBlock, front) << "front block " << front << " at pixel " << x << ", " << y;
    }
}

// With nothing of the quay or the axes around it, the block gives the only hit record.
TEST_F(OperationPicking, BlockAgainstWhiteBackgroundIsPicked) {
    scene({});
    scene({blockSeenAt(SKY_X, SKY_Y, 0.5)});
    EXPECT_EQ(clickAt(SKY_X, SKY_Y).find("\nEn camino a por el bloque seleccionado..."), 0u);
    EXPECT_EQ(targetBlock, 0);
}
