// The real program's picture: its first frame, read from its window on the X server, against
// the frame the library draws in this test's own window with the start-up GL state. The other
// tests see the binary only through its text and status; this one sees its start-up's display
// mode, enables and lights, and any change in how the scene is drawn.
#include "app/app.h"
#include "scene/scene.h"
#include "support/gl_window.h"
#include "support/process.h"

#include "platform/platform.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>
// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const int SIZE = 500;             // the program's window, width and height
const int CHANNEL_TOLERANCE = 3;  // per channel, 0..255: rounding, never a changed shade
const int PIXELS_ALLOWED_OFF = 0; // pixels beyond it

// Pixels as 0xRRGGBB, row 0 at the top, as X gives them.
typedef std::vector<unsigned> Image;

// The frame the program's start-up leads to, drawn here: app/main.cpp's display mode (the
// test main's window), enables, lights and block file.
Image libraryFrame(const char *blockFile) {
    loadStartUpState(blockFile);
    display();
    // The hidden window keeps its back buffer readable after the swap.
    std::vector<unsigned char> rgb(SIZE * SIZE * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SIZE, SIZE, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    Image image(SIZE * SIZE);
    for (int y = 0; y < SIZE; y++) {
        for (int x = 0; x < SIZE; x++) {
            const unsigned char *p = &rgb[((SIZE - 1 - y) * SIZE + x) * 3];
            image[y * SIZE + x] = (p[0] << 16) | (p[1] << 8) | p[2];
        }
    }
    return image;
}

// The window's pixels as the X server holds them (no window manager: nothing covers it).
bool grabWindow(Display *x, unsigned long window, Image *image) {
    XImage *grab = XGetImage(x, window, 0, 0, SIZE, SIZE, AllPlanes, ZPixmap);
    if (grab == nullptr) {
        return false;
    }
    image->assign(SIZE * SIZE, 0);
    for (int y = 0; y < SIZE; y++) {
        for (int xx = 0; xx < SIZE; xx++) {
            unsigned long p = XGetPixel(grab, xx, y);
            auto channel = [&](unsigned long mask) { return (p & mask) >> __builtin_ctzl(mask); };
            (*image)[y * SIZE + xx] = (channel(grab->red_mask) << 16) |
                                      (channel(grab->green_mask) << 8) | channel(grab->blue_mask);
        }
    }
    XDestroyImage(grab);
    return true;
}

struct Difference {
    int pixelsOff = 0; // pixels with a channel beyond the tolerance
    int largest = 0;   // largest channel difference
    int firstX = -1, firstY = -1;
    unsigned expected = 0, observed = 0; // at the first pixel off
};

Difference compare(const Image &expected, const Image &observed) {
    Difference d;
    for (int i = 0; i < SIZE * SIZE; i++) {
        int worst = 0;
        for (int shift : {16, 8, 0}) {
            int a = (expected[i] >> shift) & 0xff, b = (observed[i] >> shift) & 0xff;
            worst = std::max(worst, std::abs(a - b));
        }
        d.largest = std::max(d.largest, worst);
        if (worst > CHANNEL_TOLERANCE && d.pixelsOff++ == 0) {
            d.firstX = i % SIZE;
            d.firstY = i / SIZE;
            d.expected = expected[i];
            d.observed = observed[i];
        }
    }
    return d;
}

// Both pictures as PPM files beside each other, for a person to look at after a failure.
std::string savePair(const Image &expected, const Image &observed) {
    std::string path = "/tmp/vinca-first-frame-" + std::to_string(getpid()) + ".ppm";
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return "(not saved)";
    }
    std::fprintf(out, "P6\n%d %d\n255\n", 2 * SIZE, SIZE);
    for (int y = 0; y < SIZE; y++) {
        for (const Image *image : {&expected, &observed}) {
            for (int x = 0; x < SIZE; x++) {
                for (int shift : {16, 8, 0}) {
                    std::fputc(((*image)[y * SIZE + x] >> shift) & 0xff, out);
                }
            }
        }
    }
    std::fclose(out);
    return path;
}

std::string hex(unsigned rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06x", rgb);
    return text;
}

} // namespace

// Polls the program's window until it shows the library's frame, or for ten seconds; an undrawn
// or half-drawn window never passes, so waiting cannot hide a difference.
TEST(FirstFrame, ProgramShowsTheFrameTheLibraryDraws) {
    const char *blockFile = VINCA_SOURCE_DIR "/data/blocks.txt";
    Image expected = libraryFrame(blockFile);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    VincaProcess vinca;
    ASSERT_TRUE(startProcess(&vinca, {blockFile}));
    ASSERT_TRUE(waitForOutput(&vinca, BANNER, 20000)) << vinca.out;
    std::string id = findVincaWindow();
    ASSERT_FALSE(id.empty()) << "no window";
    Display *x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    unsigned long window = std::stoul(id);

    Image observed;
    Difference d;
    d.pixelsOff = SIZE * SIZE;
    waitUntil([&] {
        d = grabWindow(x, window, &observed) ? compare(expected, observed) : d;
        return d.pixelsOff <= PIXELS_ALLOWED_OFF;
    });
    XCloseDisplay(x);
    EXPECT_LE(d.pixelsOff, PIXELS_ALLOWED_OFF)
        << "pixels of the program's window differing from the library's frame by more than "
        << CHANNEL_TOLERANCE << " in a channel (largest " << d.largest << "); first at ("
        << d.firstX << ", " << d.firstY << "): expected " << hex(d.expected) << ", observed "
        << hex(d.observed) << "; library frame left, program's right in "
        << (observed.empty() ? "(no grab)" : savePair(expected, observed));
    std::printf("largest channel difference %d, pixels off %d\n", d.largest, d.pixelsOff);
}
