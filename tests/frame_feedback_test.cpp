// The whole frame as OpenGL receives it, compared bit for bit with a frame captured
// before drawMesh and the scene code were reworked for speed. Any change in a vertex,
// normal (through the lit colours), material, transform or their order shows here.
//
// To capture anew (only on purpose, e.g. on a new Mesa):
//   VINCA_CAPTURE_FRAME_FEEDBACK=tests/data/frame_feedback.bin ./frame_feedback_test
#include "app/app.h"
#include "automation/automation.h"
#include "camera/camera.h"
#include "common/common.h"
#include "geometry/mesh.h"
#include "scene/scene.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Feedback runs through Mesa's draw module; its JIT may pick other instructions on
// another CPU, its interpreter gives the same bits wherever this Mesa runs. Set before
// main so it holds when the test window's context is made.
const int useInterpreter = setenv("DRAW_USE_LLVM", "0", 1);

const char *const BLOCK_FILE = VINCA_SOURCE_DIR "/tests/data/frame_blocks.txt";
const char *const FEEDBACK_FILE = VINCA_SOURCE_DIR "/tests/data/frame_feedback.bin";
const GLsizei FEEDBACK_CAPACITY = 4 * 1024 * 1024;

// The state start-up leaves before the first frame, on the test file.
void startUpState() {
    setCameraDefaults();
    glutSetWindow(testWindow);
    reshape(500, 500);
    initProjection();
    if (unitCylinder.rows == nullptr) {
        buildUnitCylinder();
    }
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    blockCount = 0;
    std::FILE *file = std::fopen(BLOCK_FILE, "r");
    ASSERT_NE(file, nullptr) << BLOCK_FILE;
    readBlockFile(file);
    std::fclose(file);
    manualMode = 0;
    heldBlock = -1;
    targetBlock = -1;
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
}

std::vector<float> feedbackOfDisplay() {
    std::vector<float> buffer(FEEDBACK_CAPACITY);
    glFeedbackBuffer(FEEDBACK_CAPACITY, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    display();
    GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer of " << FEEDBACK_CAPACITY << " floats overflowed";
    buffer.resize(used > 0 ? static_cast<size_t>(used) : 0);
    return buffer;
}

// Two frames: the rest pose after loading, and a pose in the middle of a transport
// with a block in the claw, one bay's blocks already unloaded.
std::vector<std::vector<float>> capturedFrames() {
    std::vector<std::vector<float>> frames;
    startUpState();
    frames.push_back(feedbackOfDisplay());

    cranePose = {-37.0f, 23.0f, 7.0f, 29.0f};
    heldBlock = 0;
    blockTable[3].present = 0;
    frames.push_back(feedbackOfDisplay());
    heldBlock = -1;
    blockTable[3].present = 1;
    setRestPose();
    return frames;
}

// File layout: per frame a uint32 float count, then the floats, all native byte order.
bool writeFrames(const std::string &path, const std::vector<std::vector<float>> &frames) {
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    for (const std::vector<float> &f : frames) {
        uint32_t n = static_cast<uint32_t>(f.size());
        std::fwrite(&n, sizeof n, 1, out);
        std::fwrite(f.data(), sizeof(float), f.size(), out);
    }
    return std::fclose(out) == 0;
}

std::vector<std::vector<float>> readFrames(const std::string &path) {
    std::vector<std::vector<float>> frames;
    std::FILE *in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return frames;
    }
    uint32_t n = 0;
    while (std::fread(&n, sizeof n, 1, in) == 1) {
        std::vector<float> f(n);
        if (std::fread(f.data(), sizeof(float), n, in) != n) {
            break;
        }
        frames.push_back(f);
    }
    std::fclose(in);
    return frames;
}

// Names the feedback item holding float index i, for a readable failure.
std::string describePosition(const std::vector<float> &f, size_t i) {
    size_t p = 0;
    int item = 0;
    while (p < f.size()) {
        size_t start = p;
        GLenum token = static_cast<GLenum>(f[p]);
        size_t length = 1;
        if (token == GL_POLYGON_TOKEN) {
            length = 2 + static_cast<size_t>(f[p + 1]) * 7;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            length = 1 + 2 * 7;
        } else if (token == GL_POINT_TOKEN) {
            length = 1 + 7;
        }
        p += length;
        if (i < p) {
            const char *name = token == GL_POLYGON_TOKEN ? "polygon" : "line or other";
            // After the header, 7 words per vertex: window x, y, z, then colour r, g, b, a.
            return "item " + std::to_string(item) + " (" + name + ", word " +
                   std::to_string(i - start) + " of it)";
        }
        item++;
    }
    return "past the end";
}

TEST(FrameFeedback, WholeFramesMatchTheCapturedOnesBitForBit) {
    ASSERT_EQ(useInterpreter, 0);
    std::vector<std::vector<float>> frames = capturedFrames();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const char *capture = std::getenv("VINCA_CAPTURE_FRAME_FEEDBACK");
    if (capture != nullptr && capture[0] != '\0') {
        ASSERT_TRUE(writeFrames(capture, frames)) << "cannot write " << capture;
        GTEST_SKIP() << "captured " << frames.size() << " frames into " << capture;
    }

    std::vector<std::vector<float>> expected = readFrames(FEEDBACK_FILE);
    ASSERT_EQ(expected.size(), 2u) << "frames in " << FEEDBACK_FILE;
    const char *names[2] = {"rest frame", "transport frame"};
    for (size_t k = 0; k < 2; k++) {
        const std::vector<float> &want = expected[k];
        const std::vector<float> &got = frames[k];
        // A frame with nothing drawn would match nothing; guard against an empty capture.
        ASSERT_GT(want.size(), 100000u) << names[k] << ": captured frame suspiciously small";
        size_t n = want.size() < got.size() ? want.size() : got.size();
        size_t firstDiff = n;
        for (size_t i = 0; i < n; i++) {
            if (std::memcmp(&want[i], &got[i], sizeof(float)) != 0) {
                firstDiff = i;
                break;
            }
        }
        if (firstDiff < n) {
            ADD_FAILURE() << names[k] << ": first difference at float " << firstDiff << ", "
                          << describePosition(want, firstDiff) << ": expected " << want[firstDiff]
                          << ", observed " << got[firstDiff];
        }
        EXPECT_EQ(got.size(), want.size()) << names[k] << ": feedback length in floats";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
