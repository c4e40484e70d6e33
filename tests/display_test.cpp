// One frame of the display pass: what it draws, where the lights end up, and its pixels.
#include "app/app.h"
#include "camera/camera.h"
#include "scene/scene.h"
#include "support/feedback.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <algorithm>
#include <cmath>

class DisplayTest : public GLTest {
  protected:
    void SetUp() override {
        loadStartUpState(VINCA_SOURCE_DIR "/data/blocks.txt");
    }
    static std::vector<float> view() {
        std::vector<float> m(16);
        applyView(camera.position, camera.back, camera.up, camera.offset);
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }
};

TEST_F(DisplayTest, DrawsWaitingBlocksOnlyInCollectionMode) {
    const struct {
        int manual, held, unloaded, count;
        std::vector<int> drawn;
    } cases[] = {{0, -1, -1, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                 {0, 3, -1, 10, {0, 1, 2, 4, 5, 6, 7, 8, 9}},
                 {0, -1, 9, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                 {1, 3, 0, 10, {}},
                 {0, -1, -1, 0, {}}};
    for (const auto &c : cases) {
        manualMode = c.manual;
        heldBlock = c.held;
        blockCount = c.count;
        for (int i = 0; i < MAX_BLOCKS; i++) {
            blockTable[i].present = i != c.unloaded;
        }
        std::vector<CylinderPlacement> cylinders =
            findCylinders(feedbackPolygons(display, view().data()));
        std::vector<int> drawn; // blocks standing in their own places
        for (const CylinderPlacement &cylinder : cylinders) {
            for (int i = 0; i < blockCount; i++) {
                const Block &b = blockTable[i];
                if (distance(cylinder.bottom, {b.x, b.y, b.z}) +
                        distance(cylinder.top, {b.x, b.y + 1.5f, b.z}) <
                    1e-3) {
                    drawn.push_back(i);
                }
            }
        }
        SCOPED_TRACE(testing::Message() << "manualMode " << c.manual << " heldBlock " << c.held
                                        << " unloaded " << c.unloaded << " blockCount " << c.count);
        EXPECT_EQ(drawn, c.drawn);
        EXPECT_EQ(cylinders.size(), 15 + c.drawn.size() + (c.held >= 0 && !c.manual))
            << "crane, blocks and hanging block";
    }
}

TEST_F(DisplayTest, DeckLiesAtItsWorldCorners) {
    // A quarter turn about the vertical takes the deck's +z to the world's +x, its +x to -z.
    const Point3 &n = DECK_NEAR_CORNER, &f = DECK_FAR_CORNER, &o = DECK_ORIGIN;
    auto world = [&](float x, float z) { return Point3{o.x + z, o.y + n.y, o.z - x}; };
    std::vector<Point3> expected = {world(n.x, n.z), world(n.x, f.z), world(f.x, f.z),
                                    world(f.x, n.z)}; // (4, -4, 15.5) ... (4, -4, -14)
    std::vector<bool> seen(4);
    for (const FeedbackPolygon &p : feedbackPolygons(display, view().data())) {
        for (const FeedbackVertex &v : p) {
            Point3 corner = {float(v.x), float(v.y), float(v.z)};
            for (size_t i = 0; i < 4 && std::fabs(v.y - o.y - n.y) < 1e-3; i++) { // deck only
                seen[i] = seen[i] || distance(corner, expected[i]) < 1e-3;
            }
        }
    }
    EXPECT_EQ(seen, std::vector<bool>(4, true)) << "deck corners seen, in the quad's order";
}

TEST_F(DisplayTest, LightsStayFixedInTheWorldAndBackgroundIsWhite) {
    camera = {{-3, 2, 6}, {2, 7, -4}, {0, 1, 0}, {0, 0, 4}}; // not the start-up view
    std::vector<float> m = view(), clear(4), eye(4);
    glLoadIdentity(); // lights given before the view would land here
    glClearColor(0, 0, 0, 0);
    display();
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, std::vector<float>({1, 1, 1, 1})) << "clear colour";
    for (const auto &light : {std::make_pair(GL_LIGHT0, Point3{5, 10, 10}),
                              std::make_pair(GL_LIGHT1, Point3{0, 0, -100})}) {
        glGetLightfv(light.first, GL_POSITION, eye.data());
        const Point3 w = light.second; // directional: the view's rotation only
        Point3 expected = {m[0] * w.x + m[4] * w.y + m[8] * w.z,
                           m[1] * w.x + m[5] * w.y + m[9] * w.z,
                           m[2] * w.x + m[6] * w.y + m[10] * w.z};
        EXPECT_TRUE(isNear({eye[0], eye[1], eye[2]}, expected, 1e-4) && eye[3] == 0)
            << "light " << light.first - GL_LIGHT0 << " in eye space";
    }
}

// The hidden window keeps its back buffer readable after the swap, not its front buffer.
static std::vector<int> pixel(int x, int y) {
    unsigned char rgb[3];
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// The pixel under a world point in the frame just drawn.
static std::vector<int> pixelAt(Point3 p, std::vector<float> view) {
    double model[16], projection[16], x, y, z;
    int viewport[4];
    std::copy(view.begin(), view.end(), model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z);
    return pixel(int(x), int(y));
}

TEST_F(DisplayTest, FramePixelsShowBackgroundTowerAndBlockHues) {
    reshape(500, 500);
    display(); // start-up frame: the upper corners are sky, the lower ones quay and deck
    EXPECT_EQ(pixel(0, 499), std::vector<int>({255, 255, 255})) << "upper left corner";
    EXPECT_EQ(pixel(499, 499), std::vector<int>({255, 255, 255})) << "upper right corner";
    // Between the platform and the window's top edge the tower shows its grey.
    std::vector<int> tower = pixelAt({0, 4.3f, 0}, view());
    EXPECT_TRUE(tower[0] == tower[1] && tower[1] == tower[2] && tower[0] > 40 && tower[0] < 230)
        << "tower pixel (" << tower[0] << ", " << tower[1] << ", " << tower[2] << ")";

    const float hues[12][3] = {{1, 1, 1},  {1, 0, 1},  {0, 1, 1},  {1, 1, 0},
                               {1, 0, 0},  {0, 1, 0},  {0, 0, 1},  {.5, 1, 0},
                               {1, .5, 1}, {1, 0, .5}, {0, .5, 1}, {.5, 0, 1}};
    // From high above every block shows its top, lit below saturation, so the pixel keeps
    // the proportions of the block's material.
    camera.back = {0, 10, 0.01f};
    camera.position = {-5.5f, 36, 0.5f};
    display();
    for (int i = 0; i < blockCount; i++) {
        const Block &b = blockTable[i];
        std::vector<int> rgb = pixelAt({b.x, b.y + 0.75f, b.z}, view());
        const float *c = hues[b.color];
        float top = *std::max_element(rgb.begin(), rgb.end()), cTop = *std::max_element(c, c + 3);
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(rgb[k] / top, c[k] / cTop, 0.05)
                << "block " << i << " channel " << k << ": pixel (" << rgb[0] << ", " << rgb[1]
                << ", " << rgb[2] << "), colour " << b.color;
        }
    }
}
