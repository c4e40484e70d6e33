// Shared by the GL test suites: the hidden window made current by the test main.
#ifndef VINCA_TEST_GL_WINDOW_H
#define VINCA_TEST_GL_WINDOW_H

extern int testWindow; // GLUT window id; its context is current in every test

// The state the program's start-up leaves before its first frame, on blockFile, in the test
// window: camera, projection, mesh, enables, lights and the blocks as read.
void loadStartUpState(const char *blockFile);

#endif
