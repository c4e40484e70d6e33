// Reading drawn geometry back from GL feedback, in world units.
#ifndef VINCA_TEST_FEEDBACK_H
#define VINCA_TEST_FEEDBACK_H

#include "common/common.h"
#include "support/gl_feedback.h"

#include <gtest/gtest.h>
#include <vector>

struct FeedbackVertex {
    double x, y, z;  // world units
    float colour[4]; // as lit by GL
};
typedef std::vector<FeedbackVertex> FeedbackPolygon;

// Runs draw under GL_FEEDBACK through an orthographic box of half-size 50 on a 500x500
// viewport and returns its polygons in world units. view is the modelview draw loads for
// itself (column-major, rigid), undone here; null when draw uses the identity given it.
std::vector<FeedbackPolygon> feedbackPolygons(void (*draw)(), const float *view = nullptr);

// Where one drawing of unitCylinder landed: images of its bottom centre, top centre and
// first rim point (0.5, 0, 0).
struct CylinderPlacement {
    Point3 bottom, top, rim;
};

// Every run of polygons that is one whole drawing of unitCylinder, in drawing order.
std::vector<CylinderPlacement> findCylinders(const std::vector<FeedbackPolygon> &polygons);

double distance(Point3 a, Point3 b);

// Success when observed lies within tol of expected; the failure names both points.
testing::AssertionResult isNear(Point3 observed, Point3 expected, double tol);

#endif
