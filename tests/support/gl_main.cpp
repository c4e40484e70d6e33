// Test main for suites that need GL: one GLUT window, made current before any test. It is
// asked to hide, which GLUT does only inside a loop the tests never run.
#include "support/gl_window.h"

#include "app/app.h"
#include "camera/camera.h"
#include "geometry/mesh.h"

#include "platform/platform.h"
#include <gtest/gtest.h>

static int testWindow = 0; // its context is current in every test

void GLTest::TearDown() {
    heldBlock = -1;
    manualMode = 0;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

void ensureCylinder() {
    if (unitCylinder.rows == nullptr) {
        buildUnitCylinder();
    }
}

bool loadBlocks(const char *path) {
    blockCount = 0;
    std::FILE *file = openBlockFile(path);
    if (file == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return false;
    }
    readBlockFile(file);
    std::fclose(file);
    return true;
}

void loadBlockText(const std::string &text) {
    blockCount = 0;
    std::FILE *file = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    readBlockFile(file);
    std::fclose(file);
}

void loadStartUpState(const char *blockFile) {
    glutSetWindow(testWindow);
    setCameraDefaults();
    reshape(500, 500);
    initGlState();
    ensureCylinder();
    blockCount = 0;
    if (blockFile != nullptr) {
        loadBlocks(blockFile);
    }
    manualMode = 0;
    heldBlock = targetBlock = -1;
}

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) must not need a display.
    if (!GTEST_FLAG_GET(list_tests)) {
        int glutArgc = 1;
        char *glutArgv[] = {argv[0], nullptr};
        glutInit(&glutArgc, glutArgv);
        // The window stays mapped until a GLUT loop would hide it, so it is kept clear of
        // where the program's own windows open (0, 0) and where input tests move them.
        glutInitWindowPosition(0, 520);
        glutInitWindowSize(500, 500);
        glutInitDisplayMode(WINDOW_DISPLAY_MODE);
        testWindow = glutCreateWindow("vinca test");
        glutDisplayFunc([] {});
        glutHideWindow();
    }
    return RUN_ALL_TESTS();
}
