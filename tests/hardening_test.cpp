// Bad input: garbage and huge block files, numbers beyond their types, a zero-height window.
#include "app/app.h"
#include "camera/camera.h"
#include "common/common.h"
#include "support/gl_window.h"
#include "support/process.h"

#include "platform/platform.h"
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

using BadInput = GLTest;

static std::string garbage(size_t size, bool withC) {
    std::string bytes(size, '\0');
    unsigned int state = 12345;
    for (char &b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
        b = !withC && b == 'c' ? 'C' : b;
    }
    return bytes;
}

// Garbage with record starts in it: the program either loads what its reader makes of it
// or stops on a colour, and in both cases ends properly.
TEST_F(BadInput, GarbageFileLoadsOrStopsOnAColour) {
    for (unsigned int size : {4096u, 65536u, 1u << 20}) {
        SCOPED_TRACE(size);
        std::string path = writeTempFile(garbage(size, true));
        VincaProcess p;
        ASSERT_TRUE(startProcess(&p, {path}));
        std::string window;
        waitUntil([&] {
            return waitForOutput(&p, COLOUR_ERROR, 100) || !(window = findVincaWindow(1)).empty();
        });
        if (!window.empty()) {
            xdotool("key --window " + window + " q");
        }
        EXPECT_TRUE(waitForExit(&p, 10000));
        bool colourError = p.out.find(COLOUR_ERROR) != std::string::npos;
        EXPECT_NE(colourError, !window.empty()) << "one of the two ends: " << p.out;
        EXPECT_EQ(p.status, colourError ? 1 : 0) << p.out;
        std::printf("%u bytes: %s\n", size, colourError ? "colour error" : "loaded, q");
        unlink(path.c_str());
    }
}

// Every byte but a lowercase c is skipped one at a time; 100 MB of them load no block.
TEST_F(BadInput, HugeFileWithoutRecordLoadsNothing) {
    std::string path = writeTempFile(garbage(100u << 20, false));
    EXPECT_TRUE(loadBlocks(path.c_str()));
    unlink(path.c_str());
    EXPECT_EQ(blockCount, 0);
}

// Numbers go through glibc's conversions unchecked: floats saturate to infinity or fall to
// zero, integers beyond 32 bits keep their low 32 bits, beyond 64 bits saturate first.
TEST_F(BadInput, NumbersBeyondTheirTypesLoadAsConverted) {
    loadBlockText("c 1e39 -1e39 nan 2147483648 4294967299\n"
                  "c inf 1e-50 1e-50 -99999999999999999999 -99999999999999999999\n");
    ASSERT_EQ(blockCount, 2);
    const Block &a = blockTable[0], &b = blockTable[1];
    EXPECT_TRUE(std::isinf(a.x) && a.x > 0 && std::isinf(a.y) && a.y < 0 && std::isnan(a.z))
        << a.x << " " << a.y << " " << a.z;
    EXPECT_EQ(a.tag, -2147483647 - 1);
    EXPECT_EQ(a.color, 3);
    EXPECT_TRUE(std::isinf(b.x) && b.y == 0 && b.z == 0.5f) << b.x << " " << b.y << " " << b.z;
    EXPECT_EQ(b.tag, 0);
    EXPECT_EQ(b.color, 0);

    // 2^64 and more saturates to the 64-bit maximum, whose low 32 bits are -1: refused.
    std::string path = writeTempFile("c -5 0 3 0 99999999999999999999\n");
    VincaProcess p;
    ASSERT_TRUE(startProcess(&p, {path}));
    EXPECT_TRUE(waitForExit(&p, 20000));
    EXPECT_EQ(p.out.substr(p.out.size() - std::min(p.out.size(), COLOUR_ERROR.size())),
              COLOUR_ERROR);
    EXPECT_EQ(p.status, 1);
    unlink(path.c_str());
}

// X gives no window of height 0, so the callback is called directly: the frustum is refused
// as the program expects, and the next real size restores it.
TEST_F(BadInput, ZeroHeightWindowKeepsRunning) {
    setCameraDefaults();
    reshape(500, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE)) << "frustum with top = bottom";
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_TRUE(m[0] == 1 && m[5] == 1 && m[10] == 1 && m[15] == 1) << "identity expected";
    reshape(800, 400);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_TRUE(m[0] == 4 && m[5] == 8 && m[11] == -1) << m[0] << " " << m[5] << " " << m[11];
}
