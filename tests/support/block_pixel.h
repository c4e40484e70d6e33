// Where a block shows on screen, from the test process's own camera and real GL matrices.
#ifndef VINCA_TEST_BLOCK_PIXEL_H
#define VINCA_TEST_BLOCK_PIXEL_H

#include "common/common.h"

// The global camera's modelview and projection in a width x height window, read back from
// GL. Needs a current GL context; leaves its matrices and the window size as they were.
void cameraMatrices(int width, int height, double modelview[16], double projection[16]);

// Window pixel (origin top left, as GLUT reports clicks) of the centre of a block
// standing at (x, y, z), seen with the global camera in a width x height window.
// Needs a current GL context; leaves its matrices as they were.
void blockPixel(Point3 base, int width, int height, int *px, int *py);

// Camera keys, from the start-up camera, to a view from above in which every block of the
// sample quay and the two on the Z axis can be clicked: none hides another.
const char *const OVERVIEW_KEYS = "jjjjjjjjjjoooooooooooooo4444";

// The start-up camera moved by the camera keys given, in the test process.
void cameraAfterKeys(const char *keys);

#endif
