// Shared by the GL test suites: the hidden window made current by the test main.
#ifndef VINCA_TEST_GL_WINDOW_H
#define VINCA_TEST_GL_WINDOW_H

#include <gtest/gtest.h>
#include <string>

// A suite whose every case must leave no GL error behind, and no block held nor manual mode.
class GLTest : public testing::Test {
  protected:
    void TearDown() override;
};

void ensureCylinder(); // builds unitCylinder unless it is built

// The table emptied and read from the block file at path, or from text; false (and a test
// failure) when path cannot be opened.
bool loadBlocks(const char *path);
void loadBlockText(const std::string &text);

// The state the program's start-up leaves before its first frame, on blockFile (none: no
// block), in the test window: camera, projection, mesh, enables, lights and the blocks as read.
void loadStartUpState(const char *blockFile);

#endif
