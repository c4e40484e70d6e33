// The camera: frustum per window shape, the view transform, and every navigation key.
#include "app/app.h"
#include "camera/camera.h"
#include "support/feedback.h"
#include "support/gl_window.h"
#include "support/process.h"

#include <GL/freeglut.h>
#include <cmath>
#include <cstring>
#include <string>

static int displays = 0;

// Frames drawn since the last call. GLUT skips hidden windows, so the suite shows its own.
static int redisplays() {
    displays = 0;
    for (int i = 0; i < 3; i++) {
        glutMainLoopEvent();
    }
    return displays;
}

class CameraTest : public GLTest {
  protected:
    static void SetUpTestSuite() {
        glutDisplayFunc([] { displays++; });
        glutShowWindow();
        waitUntil([] { return redisplays() > 0; }); // the first expose
    }
    void SetUp() override {
        setCameraDefaults();
        redisplays();
    }
};

static std::vector<float> matrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

// Column-major m times (p, w).
static Point3 transform(const std::vector<float> &m, Point3 p, float w) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12] * w,
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13] * w,
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] * w};
}

TEST_F(CameraTest, FrustumKeepsHalfWidthOneAndFollowsWindowShape) {
    const struct {
        int width, height;
        double frustum[6]; // left, right, bottom, top, near, far
    } cases[] = {{500, 500, {-1, 1, -1, 1, 4, 1000}},
                 {800, 400, {-1, 1, -0.5, 0.5, 4, 1000}},
                 {400, 800, {-1, 1, -2, 2, 4, 1000}},
                 {0, 300, {-1, 1, -1, 1, 4, 1000}}};
    for (const auto &c : cases) {
        reshape(c.width, c.height);
        std::vector<float> m = matrix(GL_PROJECTION_MATRIX);
        double n = m[14] / (m[10] - 1), f = m[14] / (m[10] + 1); // inverting glFrustum's matrix
        const double observed[6] = {n * (m[8] - 1) / m[0],
                                    n * (m[8] + 1) / m[0],
                                    n * (m[9] - 1) / m[5],
                                    n * (m[9] + 1) / m[5],
                                    n,
                                    f};
        const char *names[6] = {"left", "right", "bottom", "top", "near", "far"};
        for (int k = 0; k < 6; k++) {
            EXPECT_NEAR(observed[k], c.frustum[k], 1e-3 * std::fabs(c.frustum[k]))
                << c.width << "x" << c.height << " " << names[k];
        }
        EXPECT_TRUE(windowWidth == c.width && windowHeight == c.height && redisplays() == 1)
            << "size kept and a frame requested";
    }
    reshape(500, 500);
}

TEST_F(CameraTest, ViewLooksAlongMinusBack) {
    applyView(camera.position, camera.back, camera.up, camera.offset);
    std::vector<float> view = matrix(GL_MODELVIEW_MATRIX);
    // On the line of sight at depth 19, so at the centre of the symmetric frustum.
    EXPECT_TRUE(isNear(transform(view, {0, 0, 0}, 1), {0, 0, -19}, 1e-4)) << "world origin";

    applyView({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 4});
    view = matrix(GL_MODELVIEW_MATRIX);
    EXPECT_TRUE(isNear(transform(view, {-1, 0, 0}, 0), {0, 0, -1}, 1e-6)) << "sight along -x";
    EXPECT_TRUE(isNear(transform(view, {0, 1, 0}, 0), {0, 1, 0}, 1e-6)) << "screen up";
    EXPECT_TRUE(isNear(transform(view, {0, 0, -1}, 0), {1, 0, 0}, 1e-6)) << "screen right";

    applyView({0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 0, 4});
    view = matrix(GL_MODELVIEW_MATRIX);
    const float translation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -4, 1};
    for (int k = 0; k < 16; k++) { // ay = pi/2 - 1.570795 turns by about 1e-6 rad
        EXPECT_NEAR(view[k], translation[k], 1e-5) << "entry " << k;
    }
}

TEST_F(CameraTest, EachKeyMovesOrTurnsTheCameraAndRedraws) {
    // b is the start-up back, t the same turned by 'h' (its heading no longer 45 degrees).
    const Point3 b = {10, 5, 10}, up = {0, 15, 0}, t = {10.4873f, 5, 9.4877f}, p = {10, 5, 10};
    const struct {
        std::string keys;
        Point3 back, position, expectedBack;
        double tol;
    } cases[] = {
        {"8", b, {9.2929f, 5, 9.2929f}, b, 1e-4},
        {"2", b, {10.7071f, 5, 10.7071f}, b, 1e-4},
        {"6", b, {10.7071f, 5, 9.2929f}, b, 1e-4},
        {"4", b, {9.2929f, 5, 10.7071f}, b, 1e-4},
        {"o", b, {10, 6, 10}, b, 0},
        {"l", b, {10, 4, 10}, b, 0},
        {"h", b, p, {10.4873f, 5, 9.4877f}, 1e-4},
        {"k", b, p, {9.4877f, 5, 10.4873f}, 1e-4},
        {"j", b, p, {9.8108f, 5.7006f, 9.8108f}, 1e-4},
        {"u", b, p, {10.1642f, 4.2869f, 10.1642f}, 1e-4},
        {"8", t, {9.2584f, 5, 9.3291f}, t, 1e-4},
        {"6", t, {10.6709f, 5, 9.2584f}, t, 1e-4},
        {"j", t, p, {10.2889f, 5.7006f, 9.3082f}, 1e-4},
        {"8", up, {10, 5, 9}, up, 1e-6},
        {"6", up, {11, 5, 10}, up, 1e-6},
        {std::string(24, 'j'), b, p, {0.33f, 14.99f, 0.33f}, 6e-3},
        {std::string(25, 'j'), b, p, {-0.20f, 15.00f, -0.20f}, 6e-3}, // past the vertical
        {std::string(26, 'j'), b, p, {0.33f, 14.99f, 0.33f}, 6e-3},
        {"x", b, p, b, 0},
        {"H", b, p, b, 0},
        {"J", b, p, b, 0},
        {"O", b, p, b, 0},
    };
    for (const auto &c : cases) {
        camera.position = p;
        camera.back = c.back;
        glLoadIdentity();
        for (char key : c.keys) {
            cameraKey(cameraMoveOf(static_cast<unsigned char>(key)));
        }
        SCOPED_TRACE("keys " + c.keys);
        EXPECT_TRUE(isNear(camera.position, c.position, c.tol)) << "position";
        EXPECT_TRUE(isNear(camera.back, c.expectedBack, c.tol)) << "back";
        std::vector<float> keyed = matrix(GL_MODELVIEW_MATRIX);
        applyView(camera.position, camera.back, camera.up, camera.offset);
        EXPECT_EQ(keyed, matrix(GL_MODELVIEW_MATRIX)) << "view not re-applied";
        EXPECT_EQ(redisplays(), 1);
    }
}

TEST_F(CameraTest, ArrowsActAsTurnAndTiltKeysHomeDoesNothing) {
    int arrows = 0;
    for (int i = 0; i < KEY_COUNT; i++) {
        const Key &k = KEYS[i];
        if (k.arrow == 0) {
            continue;
        }
        arrows++;
        cameraKey(k.move);
        Camera viaKey = camera;
        setCameraDefaults();
        redisplays();
        specialKey(k.arrow, 17, 23);
        EXPECT_TRUE(std::memcmp(&camera, &viaKey, sizeof camera) == 0 && redisplays() == 1)
            << "arrow for '" << k.key << "'";
        setCameraDefaults();
    }
    EXPECT_EQ(arrows, 4);
    Camera before = camera;
    glLoadIdentity();
    specialKey(GLUT_KEY_HOME, 0, 0);
    EXPECT_EQ(std::memcmp(&camera, &before, sizeof camera), 0) << "Home moved the camera";
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX),
              std::vector<float>({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}))
        << "Home re-applied the view";
    EXPECT_EQ(redisplays(), 0) << "Home requested a frame";
}
