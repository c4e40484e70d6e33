// The browser's picker (colourPick) against the desktop's (selectPick): both at every pixel
// of a grid over the 500 x 500 window, for several camera poses, modes and block layouts.
// They must agree at every pixel on whether anything is hit (hits == 0), and on the block
// picked wherever a block lies in the region.
//
// The one kind of difference measured (7 pixels in "overview, cluster", 14 in "coplanar
// tops"): blocks 2 and 6 of the overlapping layout intersect, so their tops are one plane,
// and seen with no roll a horizontal plane has one depth all along the region's bottom edge.
// Selection then finds both minimum depths equal, or one float step apart from the rounding
// of its clipping; colourPick counts depths within a few depth-buffer steps as equal and
// takes the lower index, as selection does on equal depths, so it differs where selection's
// rounding made 6 a step nearer. No picker that does not repeat selection's own arithmetic
// can follow that rounding. Each difference is checked to be such a near-tie in selection's
// records, and never an exact one.
//
// Speed: each pick draws every block (1200 triangles apiece), so before each pixel the
// blocks whose outline is seen more than a pixel outside the pick region are set aside
// (present = 0) and put back after it. Neither picker can hit such a block, since both clip
// to the region; the quay and the axes are always drawn.
#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "scene/scene.h"
#include "support/block_pixel.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Before the test main opens its window: llvmpipe's rasterizer threads only add hand-offs
// for areas this small, and each of the thousands of read-backs waits for them.
const int singleThreaded = setenv("LP_NUM_THREADS", "0", 0);

const int SIZE = 500; // the test window

// A block's outline on screen, in GL window coordinates (origin bottom left).
struct ScreenBox {
    double left, bottom, right, top;
    bool always; // partly behind the eye: never set aside
};

// Selection's own record of each block in the region around (x, y): its minimum depth, or
// 0xFFFFFFFF when not hit.
std::vector<unsigned> desktopDepths(int x, int y) {
    GLuint buffer[SELECT_BUFFER_SIZE];
    int hits = selectHits(x, y, buffer);
    std::vector<unsigned> depths(MAX_BLOCKS, 0xFFFFFFFFu);
    for (int h = 0, word = 0; h < hits; h++, word += 3 + static_cast<int>(buffer[word])) {
        if (buffer[word] == 1 && isBlockIndex(static_cast<int>(buffer[word + 3]))) {
            depths[buffer[word + 3]] = buffer[word + 1];
        }
    }
    return depths;
}

class PickAgreement : public GLTest {
  protected:
    void SetUp() override {
        ASSERT_EQ(singleThreaded, 0);
        loadStartUpState(nullptr);
        readyForOrder = 1;
        setRestPose();
    }
    void TearDown() override {
        GLTest::TearDown();
        std::printf("%d pixels, %d with a block in the region (%d with two blocks or more), %d "
                    "hit and %d block differences\n",
                    pixels, blockCases, severalCases, hitDifferences, blockDifferences);
        for (const std::string &d : differences) {
            std::printf("  %s\n", d.c_str());
        }
    }

    static void layout(const std::vector<Point3> &blocks) {
        blockCount = static_cast<int>(blocks.size());
        for (int i = 0; i < blockCount; i++) {
            blockTable[i] = {blocks[i].x, blocks[i].y, blocks[i].z, i, i % 12, 1};
        }
    }

    // Each block's outline bounded by its two rims as 16-gons around the 200-gons.
    static std::vector<ScreenBox> screenBoxes() {
        GLdouble projection[16], modelview[16];
        cameraMatrices(SIZE, SIZE, modelview, projection);
        const GLint viewport[4] = {0, 0, SIZE, SIZE};
        const double radius = 0.75 / std::cos(3.14159265 / 16);
        std::vector<ScreenBox> boxes;
        for (int i = 0; i < blockCount; i++) {
            const Block &b = blockTable[i];
            ScreenBox box = {1e30, 1e30, -1e30, -1e30, false};
            for (int k = 0; k < 32 && !box.always; k++) {
                double angle = 2 * 3.14159265 * (k % 16) / 16;
                double p[3] = {b.x + radius * std::cos(angle), b.y + (k < 16 ? 0.0 : 1.5),
                               b.z + radius * std::sin(angle)};
                double eyeZ = modelview[2] * p[0] + modelview[6] * p[1] + modelview[10] * p[2] +
                              modelview[14];
                GLdouble wx, wy, wz;
                box.always = eyeZ > -camera.offset.z / 2 ||
                             gluProject(p[0], p[1], p[2], modelview, projection, viewport, &wx, &wy,
                                        &wz) != GL_TRUE;
                if (!box.always) {
                    box.left = std::min(box.left, wx);
                    box.right = std::max(box.right, wx);
                    box.bottom = std::min(box.bottom, wy);
                    box.top = std::max(box.top, wy);
                }
            }
            boxes.push_back(box);
        }
        return boxes;
    }

    // Both pickers at every step-th pixel (x, y from step / 2) of the window area given
    // (GLUT's pixels, origin top left).
    void compare(const char *name, int step, int left = 0, int top = 0, int right = SIZE,
                 int bottom = SIZE) {
        std::vector<ScreenBox> boxes = screenBoxes();
        const std::vector<Block> blocks(blockTable, blockTable + blockCount);
        const double reach = 2.5 + 1.0; // half the region and a pixel
        for (int y = top + step / 2; y < bottom; y += step) {
            for (int x = left + step / 2; x < right; x += step) {
                double cx = x, cy = SIZE - y; // the region's centre, as selectPick takes it
                for (int i = 0; i < blockCount; i++) {
                    const ScreenBox &b = boxes[i];
                    bool far = !b.always && (b.right < cx - reach || b.left > cx + reach ||
                                             b.top < cy - reach || b.bottom > cy + reach);
                    blockTable[i].present = far ? 0 : blocks[i].present;
                }
                check(name, x, y);
            }
        }
        std::copy(blocks.begin(), blocks.end(), blockTable);
    }

    void check(const char *name, int x, int y) {
        int desktop = -1, browser = -1;
        int desktopHits = selectPick(x, y, &desktop);
        int browserHits = colourPick(x, y, &browser);
        pixels++;
        bool hitsDiffer = (desktopHits == 0) != (browserHits == 0);
        blockCases += desktop != -1 || browser != -1 ? 1 : 0;
        severalCases += desktop != -1 && desktopHits >= 3 ? 1 : 0; // 2 blocks and scenery
        hitDifferences += hitsDiffer ? 1 : 0;
        if (!hitsDiffer && desktop == browser) {
            return;
        }
        blockDifferences += desktop != browser ? 1 : 0;
        char line[240];
        std::snprintf(line, sizeof line,
                      "%s, pixel %d, %d: desktop %d hits, block %d; browser %d hits, block %d",
                      name, x, y, desktopHits, desktop, browserHits, browser);
        std::string text = line;
        if (isBlockIndex(desktop) && isBlockIndex(browser)) {
            std::vector<unsigned> depths = desktopDepths(x, y);
            unsigned a = depths[desktop], b = depths[browser];
            std::snprintf(line, sizeof line, "; selection's minimum depths %u and %u", a, b);
            text += line;
            // Four float steps of a depth near 1 (a step there is 256 of the 2^32 range).
            EXPECT_LE(std::max(a, b) - std::min(a, b), 4u * 256) << "not a tie: " << text;
            // Selection names the lower index on equal depths, and the tie must follow it.
            EXPECT_NE(a, b) << "an exact tie: " << text;
        } else {
            ADD_FAILURE() << text;
        }
        differences.push_back(text);
    }

    int pixels = 0;
    int blockCases = 0;   // pixels where either picker names a block
    int severalCases = 0; // of which with two blocks at least in the region (a lower bound)
    int hitDifferences = 0;
    int blockDifferences = 0;
    std::vector<std::string> differences;
};

// The sample files from the start-up camera, the overview and cameras turned, from the side
// and low behind the quay's side wall; manual mode, which hides the blocks on screen while
// both pickers still draw them; a block in the claw and an unloaded one, drawn by neither.
TEST_F(PickAgreement, SampleFilesPosesAndModes) {
    const int MANUAL = 1, HELD = 2;
    struct {
        const char *file, *keys;
        int step, state;
    } scenes[] = {{"blocks.txt", "", 10, 0},
                  {"blocks.txt", OVERVIEW_KEYS, 10, 0},
                  {"blocks30.txt", "", 20, 0},
                  {"blocks30.txt", OVERVIEW_KEYS, 10, 0},
                  {"blocks.txt", "22222222hhhh", 10, 0},
                  {"blocks.txt", "kkkkkkkk44444444", 20, 0},
                  {"blocks.txt", "llllll888", 20, 0},
                  {"blocks.txt", OVERVIEW_KEYS, 20, MANUAL},
                  {"blocks.txt", OVERVIEW_KEYS, 20, HELD}};
    for (const auto &c : scenes) {
        ASSERT_TRUE(loadBlocks((std::string(VINCA_SOURCE_DIR "/data/") + c.file).c_str()));
        cameraAfterKeys(c.keys);
        manualMode = c.state == MANUAL ? 1 : 0;
        if (c.state == HELD) {
            heldBlock = 0;
            blockTable[0] = {-2.0f, 2.0f, 5.0f, 1, 3, 1};
            blockTable[5].present = 0;
            cranePose = {60.0f, 20.0f, 6.0f, 29.0f};
        }
        compare((std::string(c.file) + " " + c.keys).c_str(), c.step);
        heldBlock = -1;
        setRestPose();
    }
    EXPECT_EQ(hitDifferences + blockDifferences, 0);
}

// Blocks that touch, overlap, coincide (0 and 1: the lower index wins) or stand on each
// other, finely around the cluster; and blocks behind, under and inside the quay, which
// both pickers still name from a low camera that sees only the quay's side.
TEST_F(PickAgreement, OverlappingBlocksAndBlocksBehindTheQuay) {
    layout({{-5, 0, 3},          // 0
            {-5, 0, 3},          // 1: where 0 is
            {-5.6f, 0, 3.4f},    // 2: through 0
            {-3.5f, 0, 3},       // 3: touching 0
            {-5, 1.5f, 3},       // 4: on 0
            {-6.5f, 0, 1.5f},    // 5: near 0
            {-5, 0, 4.5f},       // 6: touching 0, through 2
            {-7, 0, 6},          // 7
            {-7.4f, 0.3f, 6.2f}, // 8: through 7, higher
            {-8, -6, -12},       // 9: behind the quay's far side
            {-5, -5, -3},        // 10: inside the quay
            {-10, -1.6f, 0},     // 11: just under its top
            {-16, -8, 14},       // 12: beyond its near side, off screen from the low camera
            {4, -4, 6},          // 13: beside it
            {-19, -3, 2}});      // 14: beyond its far end
    cameraAfterKeys(OVERVIEW_KEYS);
    compare("overview", 20);
    compare("overview, cluster", 5, 0, 170, 280, 350);
    cameraAfterKeys("22222222hhhh");
    compare("turned", 20);
    compare("turned, cluster", 5, 40, 10, 300, 160);
    cameraAfterKeys("llllll");
    compare("low", 20);
    for (int hidden : {9, 10, 11, 13, 14}) {
        const Block &b = blockTable[hidden];
        int x, y, desktop = -1, browser = -1;
        blockPixel({b.x, b.y, b.z}, SIZE, SIZE, &x, &y);
        selectPick(x, y, &desktop);
        colourPick(x, y, &browser);
        EXPECT_TRUE(desktop == hidden && browser == hidden)
            << "block " << hidden << " at pixel " << x << ", " << y << ": desktop " << desktop
            << ", browser " << browser;
    }
    EXPECT_EQ(hitDifferences, 0);
    EXPECT_LE(blockDifferences, 7); // measured: see the top of the file
}

// Two blocks through each other, their tops in one plane: along the seam selection finds
// both at exactly one depth, which the depth buffer parts by a step or two either way.
TEST_F(PickAgreement, CoplanarTopsTieToTheLowerIndex) {
    layout({{-5, 0, 3}, {-4.2f, 0, 3}});
    cameraAfterKeys(OVERVIEW_KEYS);
    compare("coplanar tops", 2, 180, 246, 220, 272);
    EXPECT_EQ(hitDifferences, 0);
}

// The state colourPick changes is put back: capabilities, clear values, depth, scissor,
// viewport and both matrices; the current colour stays white and the modelview matrix
// selected, as the program always has them.
TEST_F(PickAgreement, ColourPickRestoresState) {
    ASSERT_TRUE(loadBlocks(VINCA_SOURCE_DIR "/data/blocks.txt"));
    initProjection();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    glClearDepth(0.75);
    glScissor(3, 4, 50, 60);
    glDepthFunc(GL_LEQUAL);
    auto snapshot = [] { // glGet gives integer and enable state as floats too, exactly
        std::vector<float> s;
        auto add = [&](std::initializer_list<GLenum> queries, size_t values) {
            for (GLenum query : queries) {
                s.resize(s.size() + values);
                glGetFloatv(query, &s[s.size() - values]);
            }
        };
        add({GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}, 16);
        add({GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE, GL_VIEWPORT, GL_SCISSOR_BOX}, 4);
        add({GL_DEPTH_RANGE}, 2);
        add({GL_DEPTH_CLEAR_VALUE, GL_MATRIX_MODE, GL_DEPTH_FUNC, GL_DEPTH_WRITEMASK, GL_LIGHTING,
             GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_DITHER, GL_BLEND},
            1);
        return s;
    };
    std::vector<float> before = snapshot();
    int x, y, desktop = -2, browser = -2;
    blockPixel({blockTable[0].x, blockTable[0].y, blockTable[0].z}, SIZE, SIZE, &x, &y);
    EXPECT_GT(colourPick(x, y, &browser), 0);
    EXPECT_EQ(snapshot(), before);
    selectPick(x, y, &desktop);
    EXPECT_TRUE(isBlockIndex(browser) && browser == desktop) << browser << " " << desktop;
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glScissor(0, 0, SIZE, SIZE);
}

} // namespace
