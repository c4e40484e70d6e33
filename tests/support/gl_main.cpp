// Test main for suites that need GL: one hidden GLUT window, made current before any test.
#include "support/gl_window.h"

#include <GL/freeglut.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int testWindow = 0;

static void noDisplay() {}

static char **originalArgv;
static bool starting = true; // until the window exists

// Xvfb now and then drops a connection made just as another client closes its own, and
// GLUT then gives up. Such a start is tried again, afresh, a few times.
static void restartOnGlutError(const char *format, va_list args) {
    const char *tries = std::getenv("VINCA_TEST_GLUT_TRIES");
    int done = tries ? std::atoi(tries) : 0;
    if (starting && done < 5) {
        setenv("VINCA_TEST_GLUT_TRIES", std::to_string(done + 1).c_str(), 1);
        execv("/proc/self/exe", originalArgv);
    }
    std::fputs("freeglut: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    std::exit(1);
}

int main(int argc, char **argv) {
    originalArgv = new char *[argc + 1];
    std::copy(argv, argv + argc + 1, originalArgv); // before gtest takes its flags out
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) must not need a display.
    if (!GTEST_FLAG_GET(list_tests)) {
        int glutArgc = 1;
        char *glutArgv[] = {argv[0], nullptr};
        glutInitErrorFunc(restartOnGlutError);
        glutInit(&glutArgc, glutArgv);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(500, 500);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        testWindow = glutCreateWindow("vinca test");
        starting = false;
        glutDisplayFunc(noDisplay);
        glutHideWindow();
    }
    return RUN_ALL_TESTS();
}
