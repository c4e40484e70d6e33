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
    Feedback f = captureFeedback(draw);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float *m = view ? view : identity;

    std::vector<FeedbackPolygon> polygons;
    for (const FeedbackItem &item : f.items) {
        if (item.token != GL_POLYGON_TOKEN) {
            continue;
        }
        FeedbackPolygon polygon;
        for (int v = 0; v < item.vertices; v++) {
            const float *w = &f.words[item.first + 7 * v];
            // Window to eye (the orthographic box), then eye to world (transpose of a rotation).
            double eye[3] = {(w[0] / 250.0 - 1) * HALF_SIZE, (w[1] / 250.0 - 1) * HALF_SIZE,
                             -(2.0 * w[2] - 1) * HALF_SIZE};
            auto world = [&](int j) {
                return m[j * 4] * (eye[0] - m[12]) + m[j * 4 + 1] * (eye[1] - m[13]) +
                       m[j * 4 + 2] * (eye[2] - m[14]);
            };
            polygon.push_back({world(0), world(1), world(2), {w[3], w[4], w[5], w[6]}});
        }
        polygons.push_back(polygon);
    }
    return polygons;
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
                const FeedbackVertex &fv = polygon[v];
                Point3 p = {static_cast<float>(fv.x), static_cast<float>(fv.y),
                            static_cast<float>(fv.z)};
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
