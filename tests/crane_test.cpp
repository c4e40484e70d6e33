// The crane model as it reaches GL: joint poses, claw, hanging block, base legs, box faces.
#include "scene/scene.h"
#include "support/feedback.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <cmath>

class CraneTest : public GLTest {
  protected:
    void SetUp() override {
        ensureCylinder();
        blockTable[0] = {-5.0f, 0.0f, 3.0f, 1, 4, 1};
        blockCount = 1;
    }
};

// Cylinders in drawing order: 4 legs, tower, boom, cable, arm and drop of each finger, block.
enum { TOWER = 4, BOOM, CABLE, FIRST_ARM, FIRST_DROP, HANGING_BLOCK = 15 };

// Where the boom's axis, from the pivot, is length out at this slew and luff.
static Point3 alongBoom(const CranePose &pose, float length) {
    double slew = pose.slewAngle * M_PI / 180, luff = pose.luffAngle * M_PI / 180;
    return {static_cast<float>(-length * std::cos(luff) * std::cos(slew)),
            static_cast<float>(BOOM_PIVOT_HEIGHT + length * std::sin(luff)),
            static_cast<float>(length * std::cos(luff) * std::sin(slew))};
}

TEST_F(CraneTest, JointsPlaceBoomTipCableClawAndFingers) {
    const struct {
        CranePose pose;
        Point3 finger; // tip of the finger drawn first, from the claw hub, in finger lengths
    } cases[] = {
        {{0, 0, 3, 0}, {1, -1, 0}},
        {{90, 0, 3, 0}, {-1, -1, 0}}, // claw turns twice the slew
        {{-90, 0, 3, 0}, {-1, -1, 0}},
        {{0, 30, 3, 0}, {1, -1, 0}},
        {{22.5f, 0, 3, 0}, {0.7071f, -1, -0.7071f}},
        {{0, 0, 5, 45}, {0, -1.4142f, 0}},
    };
    for (const auto &c : cases) {
        cranePose = c.pose;
        SCOPED_TRACE(testing::Message()
                     << "slew " << c.pose.slewAngle << " luff " << c.pose.luffAngle << " cable "
                     << c.pose.cableLength << " claw " << c.pose.clawAngle);
        std::vector<CylinderPlacement> cylinders = findCylinders(feedbackPolygons(drawCrane));
        ASSERT_EQ(cylinders.size(), 15u) << "cylinders drawn";
        const CylinderPlacement &tower = cylinders[TOWER], &boom = cylinders[BOOM];
        EXPECT_TRUE(isNear(tower.top, {0, TOWER_HEIGHT, 0}, 1e-3)) << "tower top";
        EXPECT_NEAR(distance(tower.rim, tower.bottom), TOWER_WIDTH / 2, 1e-4) << "tower radius";
        EXPECT_TRUE(isNear(boom.bottom, alongBoom(c.pose, 0), 1e-3)) << "boom pivot";
        EXPECT_TRUE(isNear(boom.top, alongBoom(c.pose, BOOM_LENGTH), 1e-3)) << "boom end";
        EXPECT_NEAR(distance(boom.rim, boom.bottom), BOOM_WIDTH / 2, 1e-4) << "boom radius";
        Point3 t = alongBoom(c.pose, BOOM_TIP_REACH);
        Point3 hub = {t.x, static_cast<float>(t.y - c.pose.cableLength + CLAW_OFFSET), t.z};
        EXPECT_TRUE(isNear(cylinders[CABLE].top, t, 1e-3)) << "boom tip";
        EXPECT_TRUE(isNear(cylinders[CABLE].bottom, {t.x, t.y - c.pose.cableLength, t.z}, 1e-3))
            << "cable end";
        EXPECT_TRUE(isNear(cylinders[FIRST_ARM].bottom, hub, 1e-3)) << "claw hub";
        const Point3 &f = c.finger;
        Point3 fingerTip = {hub.x + FINGER_LENGTH * f.x, hub.y + FINGER_LENGTH * f.y,
                            hub.z + FINGER_LENGTH * f.z};
        EXPECT_TRUE(isNear(cylinders[FIRST_DROP].top, fingerTip, 1e-3)) << "finger tip";
    }
}

TEST_F(CraneTest, BlockHangsOnlyWhenHeldInCollectionMode) {
    const struct { int held, manual; } cases[] = {{-1, 0}, {0, 0}, {0, 1}, {-1, 1}};
    cranePose = {0, 0, 5, 0};
    for (const auto &c : cases) {
        heldBlock = c.held;
        manualMode = c.manual;
        std::vector<CylinderPlacement> cylinders = findCylinders(feedbackPolygons(drawCrane));
        bool hangs = c.held == 0 && c.manual == 0;
        ASSERT_EQ(cylinders.size(), hangs ? 16u : 15u)
            << "heldBlock " << c.held << " manual " << c.manual;
        if (hangs) { // the base below the claw's hub, the top a block's height higher
            Point3 base = REST_BOOM_TIP;
            base.y = static_cast<float>(base.y - 5 + CLAW_OFFSET - HELD_BLOCK_HANG);
            EXPECT_TRUE(isNear(cylinders[HANGING_BLOCK].bottom, base, 1e-3));
            EXPECT_TRUE(
                isNear(cylinders[HANGING_BLOCK].top, {base.x, base.y + BLOCK_SIZE, 0}, 1e-3));
        }
    }
}

TEST_F(CraneTest, BaseLegsLeanAtTheirConstantAngleAndLength) {
    const Point3 feet[4] = {{0, 1.95f, 3.9f}, {3.9f, 1.95f, 3.9f}, {3.9f, 1.95f, 0}, {0, 1.95f, 0}};
    std::vector<CylinderPlacement> legs = findCylinders(feedbackPolygons(drawCraneBase));
    ASSERT_EQ(legs.size(), 4u);
    for (int i = 0; i < 4; i++) {
        Point3 f = feet[i], inward = {f.x ? -0.855f : 0.855f, 1.814f, f.z ? -0.855f : 0.855f};
        double length = distance(legs[i].bottom, legs[i].top);
        double lean = std::acos((legs[i].top.y - legs[i].bottom.y) / length) * 180 / M_PI;
        EXPECT_TRUE(isNear(legs[i].bottom, f, 1e-4)) << "leg " << i + 1 << " foot";
        EXPECT_TRUE(isNear(legs[i].top, {f.x + inward.x, f.y + inward.y, f.z + inward.z}, 1e-3))
            << "leg " << i + 1 << " upper end, toward the block's centre line";
        EXPECT_NEAR(length, 2.180166, 5e-5) << "leg " << i + 1;
        EXPECT_NEAR(lean, 33.69010, 5e-4) << "leg " << i + 1 << " angle from the vertical";
    }
}

TEST_F(CraneTest, BoxCoversItsSixFacesWithOutwardNormals) {
    // One white light from (1, 2, 3): a corner sent with outward normal n shows max(0, n.l).
    // A strip's corners keep the normal they were sent with, so a face's closing corners
    // carry its own.
    const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1}, towardLight[4] = {1, 2, 3, 0};
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_POSITION, towardLight);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, white);
    std::vector<FeedbackPolygon> polygons = feedbackPolygons([] { drawBox(20, 10, 20); });
    glDisable(GL_LIGHTING);
    const double size[3] = {20, 10, 20}, expectedArea[3] = {200, 400, 200};
    double area[3][2] = {};
    for (const FeedbackPolygon &p : polygons) {
        const double a[3] = {p[0].x, p[0].y, p[0].z}, b[3] = {p[1].x, p[1].y, p[1].z},
                     c[3] = {p[2].x, p[2].y, p[2].z};
        double n[3]; // (b - a) x (c - a): the side the triangle is wound toward
        for (int k = 0; k < 3; k++) {
            int k1 = (k + 1) % 3, k2 = (k + 2) % 3;
            n[k] = (b[k1] - a[k1]) * (c[k2] - a[k2]) - (b[k2] - a[k2]) * (c[k1] - a[k1]);
        }
        int axis = std::fabs(n[0]) > 1e-3 ? 0 : std::fabs(n[1]) > 1e-3 ? 1 : 2, side = n[axis] > 0;
        double plane = side * size[axis],
               lit = std::max(0.0, (side ? 1 : -1) * (axis + 1) / 3.7417);
        EXPECT_TRUE(std::fabs(a[axis] - plane) + std::fabs(b[axis] - plane) +
                        std::fabs(c[axis] - plane) <
                    1e-3)
            << "triangle at (" << a[0] << ", " << a[1] << ", " << a[2] << ") wound toward "
            << (side ? "+" : "-") << "xyz"[axis] << " but not on that face";
        EXPECT_TRUE(std::fabs(p[0].colour[0] - lit) < 2e-3 ||
                    std::fabs(p[1].colour[0] - lit) < 2e-3 ||
                    std::fabs(p[2].colour[0] - lit) < 2e-3)
            << "face " << (side ? "+" : "-") << "xyz"[axis]
            << ": no corner lit by its outward normal";
        area[axis][side] += std::fabs(n[axis]) / 2;
    }
    for (int face = 0; face < 6; face++) {
        EXPECT_NEAR(area[face / 2][face % 2], expectedArea[face / 2], 1e-2)
            << "area of face " << (face % 2 ? "+" : "-") << "xyz"[face / 2];
    }
}
