// drawMesh read back through GL_FEEDBACK in the test window.
#include "geometry/mesh.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

static int drawnMode = MESH_SOLID;

// Draws the cylinder in feedback, seen obliquely so that no face is edge-on and nothing
// is clipped; the tilt lives in the projection, so lighting sees the model as it is.
static Feedback feedback(int mode, GLenum type) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glRotatef(30, 1, 0, 0);
    glRotatef(30, 0, 1, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    drawnMode = mode;
    return captureFeedback([] { drawMesh(unitCylinder, drawnMode); }, type, 1 << 18);
}

class MeshDrawing : public GLTest {
  protected:
    static void SetUpTestSuite() {
        ensureCylinder();
    }
};

// Lines first, then triangles, as many as each mode sends; only the line modes touch
// width and colour, only the solid modes touch normalisation.
TEST_F(MeshDrawing, PrimitivesAndStatePerMode) {
    struct {
        int mode, lines, triangles;
    } cases[] = {{MESH_WIRE, 2000, 0},
                 {MESH_SOLID, 0, 1200},
                 {MESH_GRID_AND_SOLID, 1400, 1200},
                 {3, 0, 0},
                 {-1, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        glLineWidth(2.5f);
        glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
        glNormal3f(0, 0, 1);
        glDisable(GL_NORMALIZE);
        std::vector<int> expected(c.lines, 2), observed;
        expected.resize(c.lines + c.triangles, 3);
        for (const FeedbackItem &item : feedback(c.mode, GL_3D).items) {
            observed.push_back(item.vertices);
        }
        EXPECT_TRUE(observed == expected)
            << "expected " << c.lines << " lines then " << c.triangles << " triangles, observed "
            << std::count(observed.begin(), observed.end(), 2) << " lines, "
            << std::count(observed.begin(), observed.end(), 3) << " triangles in "
            << observed.size() << " primitives";
        float width, colour[4], normal[3];
        glGetFloatv(GL_LINE_WIDTH, &width);
        glGetFloatv(GL_CURRENT_COLOR, colour);
        glGetFloatv(GL_CURRENT_NORMAL, normal);
        bool lines = c.lines > 0, solid = c.triangles > 0;
        EXPECT_EQ(width, lines ? 1.0f : 2.5f);
        EXPECT_EQ(colour[0], lines ? 0.0f : 0.2f);
        EXPECT_EQ(colour[3], lines ? 1.0f : 0.8f);
        EXPECT_EQ(glIsEnabled(GL_NORMALIZE), solid ? GL_TRUE : GL_FALSE);
        if (!solid) {
            EXPECT_TRUE(normal[0] == 0 && normal[1] == 0 && normal[2] == 1) << "normal changed";
        }
    }
}

// The lit colour of a facet reads its unit normal back: three white-material lights, red
// along x, green along y, blue along z, give (max(0,nx), max(0,ny), max(0,nz)); a second
// pass with the lights reversed gives the negative halves. Normalisation is left off
// beforehand, so a unit result also shows that drawMesh switched it on.
TEST_F(MeshDrawing, SolidFacetsCarryOutwardUnitNormals) {
    const float none[] = {0, 0, 0, 1}, white[] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, white);
    glMaterialfv(GL_FRONT, GL_SPECULAR, none);
    glEnable(GL_LIGHTING);
    Feedback pass[2];
    for (int s = 0; s < 2; s++) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        for (int l = 0; l < 3; l++) {
            float direction[4] = {0, 0, 0, 0}, colour[4] = {0, 0, 0, 1};
            direction[l] = s == 0 ? 1.0f : -1.0f;
            colour[l] = 1;
            glLightfv(GL_LIGHT0 + l, GL_POSITION, direction);
            glLightfv(GL_LIGHT0 + l, GL_DIFFUSE, colour);
            glLightfv(GL_LIGHT0 + l, GL_AMBIENT, none);
            glLightfv(GL_LIGHT0 + l, GL_SPECULAR, none);
            glEnable(GL_LIGHT0 + l);
        }
        glDisable(GL_NORMALIZE);
        pass[s] = feedback(MESH_SOLID, GL_3D_COLOR);
        ASSERT_EQ(pass[s].items.size(), 1200u);
    }
    const char *part[] = {"bottom", "side", "top"};
    int checked[3] = {0, 0, 0};
    for (int t = 0; t < 1200; t++) {
        int segment = (t / 2) % 3, column = t / 6;
        if ((segment == 0 && t % 2 == 0) || (segment == 2 && t % 2 == 1)) {
            continue; // flat on the axis: no normal to read
        }
        // Column j stands at angle j * 6.28318 / 200 about +y, turning from +x toward -z;
        // a side facet faces halfway between its two columns.
        double middle = (column + 0.5) * 6.28318 / 200;
        double expected[3] = {segment == 1 ? std::cos(middle) : 0,
                              segment == 1 ? 0.0 : segment - 1.0,
                              segment == 1 ? -std::sin(middle) : 0};
        for (int axis = 0; axis < 3; axis++) {
            double observed = pass[0].words[pass[0].items[t].first + 3 + axis] -
                              pass[1].words[pass[1].items[t].first + 3 + axis];
            ASSERT_NEAR(observed, expected[axis], 1e-3)
                << part[segment] << " triangle " << t << ", normal axis " << axis;
        }
        checked[segment]++;
    }
    EXPECT_TRUE(checked[0] == 200 && checked[1] == 400 && checked[2] == 200)
        << "facets checked: " << checked[0] << " bottom, " << checked[1] << " side, " << checked[2]
        << " top";
    glDisable(GL_LIGHTING);
}
