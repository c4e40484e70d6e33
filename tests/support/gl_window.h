// Shared by the GL test suites: the hidden window made current by the test main.
#ifndef VINCA_TEST_GL_WINDOW_H
#define VINCA_TEST_GL_WINDOW_H

extern int testWindow; // GLUT window id; its context is current in every test

#endif
