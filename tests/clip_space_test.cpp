// The page's near-plane cut of lines and its out-of-view test for meshes, on the clip matrix
// of a frustum like the program's (half-width 1 at the near plane 4, far plane 1000), seen from
// the origin down -z.
#include "platform/web/clip_space.h"

#include <gtest/gtest.h>
#include <vector>

static const float N = 4.0f, F = 1000.0f;
static const GLfloat FRUSTUM[16] = {
    N, 0, 0, 0, 0, N, 0, 0, 0, 0, -(F + N) / (F - N), -1, 0, 0, -2 * F *N / (F - N), 0};

// Vertices as the meshes' edges hand them over: a normal, then the position.
static std::vector<float> lines(const std::vector<float> &positions) {
    std::vector<float> v;
    for (size_t i = 0; i < positions.size(); i += 3) {
        v.insert(v.end(), {0, 1, 0, positions[i], positions[i + 1], positions[i + 2]});
    }
    return v;
}

TEST(ClipSpace, LinesCutAtTheNearPlaneTheLastOneKept) {
    std::vector<float> v = lines({2,  0, 0,   2, 0, -8,  // crosses the near plane: cut at z -4
                                  0,  1, -1,  0, 1, 0,   // wholly in front: dropped
                                  1,  1, -10, 1, 1, -20, // wholly beyond
                                  -1, 0, -5,  3, 0, -4,  // beyond, one end on the plane
                                  7,  7, 7});            // a lone vertex: no line
    EXPECT_EQ(cutAtNearPlane(FRUSTUM, v.data(), 9, 6, 3), 6);
    std::vector<float> expected =
        lines({2, 0, -4, 2, 0, -8, 1, 1, -10, 1, 1, -20, -1, 0, -5, 3, 0, -4});
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_NEAR(v[i], expected[i], 1e-4) << "float " << i;
    }
}

TEST(ClipSpace, BoxesOutsideOnePlaneAreNotDrawn) {
    struct {
        float low[3], high[3];
        bool outside;
    } boxes[] = {{{-1, -1, -11}, {1, 1, -9}, false},     // ahead
                 {{-1, -1, 1}, {1, 1, 2}, true},         // behind the eye
                 {{-100, 0, -11}, {-90, 1, -9}, true},   // to the left
                 {{0, 50, -11}, {1, 60, -9}, true},      // above
                 {{-1, -1, -5}, {1, 1, 5}, false},       // through the near plane
                 {{-1, -1, -1200}, {1, 1, -1100}, true}, // beyond the far plane
                 {{-100, -100, -500}, {100, 100, 10}, false}};
    for (const auto &b : boxes) {
        EXPECT_EQ(outsideClipVolume(FRUSTUM, b.low, b.high), b.outside)
            << b.low[0] << " " << b.low[1] << " " << b.low[2];
    }
}
