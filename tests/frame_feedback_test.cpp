// The whole frame as OpenGL receives it, compared with frames captured on Mesa 22.3 (llvmpipe)
// before the drawing was reworked for speed (the base's depth offset came later): tokens,
// vertex counts and order exactly, positions and colours within tolerances far below any
// visible change. Any change in a vertex, normal (through the lit colours), material,
// transform or their order shows here.
//
// To capture anew (only on purpose, e.g. after a deliberate change of the picture), which
// runs this with VINCA_CAPTURE_FRAME_FEEDBACK naming the file:
//   tools/pictures.sh frame_feedback
#include "app/app.h"
#include "common/common.h"
#include "scene/scene.h"
#include "support/gl_feedback.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
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
const size_t FEEDBACK_CAPACITY = 4 * 1024 * 1024;

std::vector<float> feedbackOfDisplay() {
    Feedback f = captureFeedback(display, GL_3D_COLOR, FEEDBACK_CAPACITY);
    EXPECT_FALSE(f.overflowed) << "feedback buffer of " << FEEDBACK_CAPACITY << " floats";
    return f.words;
}

// Two frames: the rest pose after loading, and a pose in the middle of a transport
// with a block in the claw, one bay's blocks already unloaded.
std::vector<std::vector<float>> capturedFrames() {
    std::vector<std::vector<float>> frames;
    loadStartUpState(BLOCK_FILE);
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
    std::ofstream out(path, std::ios::binary);
    for (const std::vector<float> &f : frames) {
        uint32_t n = static_cast<uint32_t>(f.size());
        out.write(reinterpret_cast<const char *>(&n), sizeof n);
        out.write(reinterpret_cast<const char *>(f.data()), sizeof(float) * n);
    }
    return static_cast<bool>(out.flush());
}

std::vector<std::vector<float>> readFrames(const std::string &path) {
    std::vector<std::vector<float>> frames;
    std::ifstream in(path, std::ios::binary);
    for (uint32_t n = 0; in.read(reinterpret_cast<char *>(&n), sizeof n);) {
        std::vector<float> f(n);
        if (!in.read(reinterpret_cast<char *>(f.data()), sizeof(float) * n)) {
            break;
        }
        frames.push_back(f);
    }
    return frames;
}

// Tolerances: another Mesa may round a transform or a lighting sum differently in the last
// bits; a changed frame moves a vertex by far more than these or changes a token or count.
const float PIXEL_TOLERANCE = 0.01f;       // window x and y, pixels
const float DEPTH_TOLERANCE = 1e-5f;       // window z, 0..1
const float COLOUR_TOLERANCE = 1.0f / 512; // half a step of an 8-bit channel

float toleranceOf(int word) {
    return word < 2 ? PIXEL_TOLERANCE : word == 2 ? DEPTH_TOLERANCE : COLOUR_TOLERANCE;
}

// Item by item: tokens and vertex counts exactly, values within their tolerance. Returns
// "" when the frames match, else where and how they first differ.
std::string compareFrames(const std::vector<float> &want, const std::vector<float> &got) {
    std::vector<FeedbackItem> wanted = feedbackItems(want, GL_3D_COLOR),
                              found = feedbackItems(got, GL_3D_COLOR);
    const int words = vertexWords(GL_3D_COLOR);
    for (size_t item = 0; item < wanted.size() && item < found.size(); item++) {
        const FeedbackItem &w = wanted[item], &g = found[item];
        std::string where = "item " + std::to_string(item);
        if (g.token != w.token || g.vertices != w.vertices) {
            return where + ": token or vertex count " + std::to_string(g.token) + " " +
                   std::to_string(g.vertices) + ", expected " + std::to_string(w.token) + " " +
                   std::to_string(w.vertices);
        }
        for (int i = 0; i < w.vertices * words; i++) {
            float expected = want[w.first + i], observed = got[g.first + i];
            if (!(std::fabs(observed - expected) <= toleranceOf(i % words))) {
                return where + ", vertex " + std::to_string(i / words) + ", word " +
                       std::to_string(i % words) + ": expected " + std::to_string(expected) +
                       ", observed " + std::to_string(observed);
            }
        }
    }
    if (got.size() != want.size()) {
        return "length " + std::to_string(got.size()) + " floats, expected " +
               std::to_string(want.size());
    }
    return "";
}

TEST(FrameFeedback, WholeFramesMatchTheCapturedOnes) {
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
        // A frame with nothing drawn would match nothing; guard against an empty capture.
        ASSERT_GT(expected[k].size(), 100000u) << names[k] << ": captured frame too small";
        EXPECT_EQ(compareFrames(expected[k], frames[k]), "") << names[k];
    }
}

} // namespace
