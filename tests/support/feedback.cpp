// GL feedback parsing and unit-cylinder recognition for the scene tests.
#include "support/feedback.h"

#include "geometry/mesh.h"

#include "platform/platform.h"
#include <cmath>

const double HALF_SIZE = 50.0;

std::vector<FeedbackPolygon> feedbackPolygons(void (*draw)(), const float *view) {
    glViewport(0, 0, 500, 500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-HALF_SIZE, HALF_SIZE, -HALF_SIZE, HALF_SIZE, -HALF_SIZE, HALF_SIZE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::vector<float> buffer(8 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int size = glRenderMode(GL_RENDER);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float *m = view ? view : identity;

    std::vector<FeedbackPolygon> polygons;
    for (int i = 0; i < size;) {
        float token = buffer[i++];
        // Points carry one vertex, lines two; pass-through markers carry a value, no vertex.
        int count = token == GL_POLYGON_TOKEN        ? static_cast<int>(buffer[i++])
                    : token == GL_POINT_TOKEN        ? 1
                    : token == GL_PASS_THROUGH_TOKEN ? (i++, 0)
                                                     : 2;
        FeedbackPolygon polygon;
        for (int v = 0; v < count; v++, i += 7) {
            // Window to eye (the orthographic box), then eye to world (transpose of a rotation).
            double eye[3] = {(buffer[i] / 250.0 - 1) * HALF_SIZE,
                             (buffer[i + 1] / 250.0 - 1) * HALF_SIZE,
                             -(2.0 * buffer[i + 2] - 1) * HALF_SIZE};
            double world[3];
            for (int j = 0; j < 3; j++) {
                world[j] = 0;
                for (int k = 0; k < 3; k++) {
                    world[j] += m[j * 4 + k] * (eye[k] - m[12 + k]);
                }
            }
            polygon.push_back({world[0],
                               world[1],
                               world[2],
                               {buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]}});
        }
        if (token == GL_POLYGON_TOKEN) {
            polygons.push_back(polygon);
        }
    }
    return polygons;
}

static Point3 toPoint(const FeedbackVertex &v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

double distance(Point3 a, Point3 b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

testing::AssertionResult isNear(Point3 observed, Point3 expected, double tol) {
    if (distance(observed, expected) <= tol) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
           << "), observed (" << observed.x << ", " << observed.y << ", " << observed.z << ")";
}

// A run is a cylinder when every copy of each of its three landmarks lands on one point.
static bool cylinderAt(const std::vector<FeedbackPolygon> &polygons, size_t start,
                       CylinderPlacement *placement) {
    const RevolutionMesh &mesh = unitCylinder;
    const int landmarks[3] = {0, mesh.profileCount - 1, 1}; // bottom, top, rim of column 0
    Point3 *found[3] = {&placement->bottom, &placement->top, &placement->rim};
    bool seen[3] = {false, false, false};
    for (int t = 0; t < mesh.triangleCount; t++) {
        const FeedbackPolygon &polygon = polygons[start + t];
        if (polygon.size() != 3) {
            return false;
        }
        for (int v = 0; v < 3; v++) {
            int index = mesh.triangles[t].v[v];
            for (int l = 0; l < 3; l++) {
                if (index % mesh.profileCount != landmarks[l] ||
                    (l == 2 && index >= mesh.profileCount)) {
                    continue;
                }
                Point3 p = toPoint(polygon[v]);
                if (seen[l] && distance(p, *found[l]) > 1e-3) {
                    return false;
                }
                *found[l] = p;
                seen[l] = true;
            }
        }
    }
    return seen[0] && seen[1] && seen[2];
}

std::vector<CylinderPlacement> findCylinders(const std::vector<FeedbackPolygon> &polygons) {
    std::vector<CylinderPlacement> cylinders;
    size_t triangles = static_cast<size_t>(unitCylinder.triangleCount);
    for (size_t i = 0; i + triangles <= polygons.size();) {
        CylinderPlacement placement;
        if (cylinderAt(polygons, i, &placement)) {
            cylinders.push_back(placement);
            i += triangles;
        } else {
            i++;
        }
    }
    return cylinders;
}
