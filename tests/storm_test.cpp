// The real program under input storms and resizes, then an exact loading cycle; and one
// cycle under valgrind's memcheck.
#include "app/app.h"
#include "camera/camera.h"
#include "support/block_pixel.h"
#include "support/operation.h"
#include "support/process.h"

#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

const std::string BLOCKS = VINCA_SOURCE_DIR "/tests/data/d_blocks.txt";
const Point3 BLOCK[] = {{-5, 0, 3}, {-7, 0, -3}, {-4, 0, -6}, {-8, 0, 4}, {-3, 0, 7}};
const std::string REFUSED = REFUSED_KEY_TEXT;
const std::string NOTHING = "\nNada seleccionado";
const std::string DONE = "Esperando nueva orden ;D";
const std::string SPECIAL = "Tab Return BackSpace Delete F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 "
                            "Left Up Right Down Home End Prior Next Insert";

static size_t count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        n++;
    }
    return n;
}

// Reads output until it holds n copies of what.
static bool waitForCount(VincaProcess *p, const std::string &what, size_t n, int timeoutMs) {
    return waitUntil(
        [&] {
            waitForOutput(p, "\x01", 50);
            return count(p->out, what) >= n;
        },
        timeoutMs);
}

static void xdo(const std::string &window, std::string args) {
    for (size_t at; (at = args.find("$W")) != std::string::npos;) {
        args.replace(at, 2, window);
    }
    xdotool(args);
}

// xdotool words that put the pointer on a block's centre in a width x height window.
static std::string pointAt(const Point3 &block, int width, int height) {
    int x, y;
    blockPixel(block, width, height, &x, &y);
    return "mousemove --window $W " + std::to_string(x) + " " + std::to_string(y);
}

TEST(Storm, KeysClicksAndResizesLeaveExactCycles) {
    const int ROUNDS = 12; // 93 characters and 25 special keys a round, in each mode
    VincaProcess p;
    p.glLog = writeTempFile("");
    ASSERT_TRUE(startProcess(&p, {BLOCKS}));
    std::string w = findVincaWindow();
    ASSERT_FALSE(w.empty()) << "no window";
    xdo(w, std::string("mousemove --window $W 250 250 type --delay 1 ") + OVERVIEW_KEYS);
    cameraAfterKeys(OVERVIEW_KEYS);
    std::string typed, specials;
    for (int r = 0; r < ROUNDS; r++) {
        for (char c = ' '; c <= '~'; c++) {
            typed += c == 'q' || c == 'Q' ? "" : std::string(1, c); // those two would end it
        }
        specials += SPECIAL + " ";
    }
    std::string typedFile = writeTempFile(typed);
    for (int mode : {MENU_COLLECTION_MODE, MENU_MANUAL_MODE}) {
        if (mode == MENU_MANUAL_MODE) {
            ASSERT_TRUE(chooseMenu(w, 2)) << "to manual mode";
        }
        xdo(w, "mousemove --window $W 250 250 type --delay 1 --file " + typedFile);
        xdo(w, "key --delay 1 " + specials);
        // The same keys on the test's camera: the crane keys never reach it.
        for (char c : typed) {
            moveCamera(cameraMoveOf(static_cast<unsigned char>(c)));
        }
        std::istringstream names(specials);
        for (std::string name; names >> name;) {
            for (int i = 0; i < KEY_COUNT; i++) {
                if (KEYS[i].arrowName != nullptr && KEYS[i].arrowName == name) {
                    moveCamera(KEYS[i].move);
                }
            }
        }
        if (mode == MENU_MANUAL_MODE) {
            ASSERT_TRUE(chooseMenu(w, 1)) << "back to block collection";
            xdo(w, "key --window $W c");
        }
        ASSERT_TRUE(waitForCount(&p, REFUSED, 8 * ROUNDS + (mode == MENU_MANUAL_MODE), 60000))
            << "refusals seen: " << count(p.out, REFUSED);
    }
    unlink(typedFile.c_str());

    // Clicks on nothing, on a block and on the bare quay while an order is frozen by manual
    // mode, and on nothing while an order runs.
    xdo(w, "mousemove --window $W 3 3 click --repeat 100 --delay 2 1");
    ASSERT_TRUE(waitForCount(&p, NOTHING, 100, 30000)) << count(p.out, NOTHING);
    // Every key has been answered before these clicks: the crane keys were refused in block
    // collection mode only, and once more after the return to it.
    EXPECT_EQ(count(p.out, REFUSED), 8u * ROUNDS + 1) << "refusals";
    xdo(w, pointAt(BLOCK[1], 500, 500) + " click 1");
    ASSERT_TRUE(chooseMenu(w, 2)) << "to manual mode with an order running";
    xdo(w, pointAt(BLOCK[2], 500, 500) + " click --repeat 100 --delay 2 1");
    xdo(w, "mousemove --window $W 480 400 click --repeat 50 --delay 2 1");
    xdo(w, "mousemove --window $W 3 3 click --repeat 50 --delay 2 1");
    ASSERT_TRUE(waitForCount(&p, NOTHING, 150, 30000)) << count(p.out, NOTHING);
    EXPECT_EQ(count(p.out, BUSY), 1u + 100 + 50) << "busy answers";
    ASSERT_TRUE(chooseMenu(w, 1)) << "back to block collection";
    xdo(w, pointAt(BLOCK[2], 500, 500) + " click 1 mousemove --window $W 3 3 click --repeat "
                                         "30 --delay 2 1");
    ASSERT_TRUE(waitForCount(&p, DONE, 1, 60000));
    EXPECT_TRUE(waitForCount(&p, NOTHING, 180, 30000)) << count(p.out, NOTHING);
    EXPECT_EQ(count(p.out, "\nEn camino"), 2u);
    EXPECT_EQ(count(p.out, BUSY), 152u);

    size_t mark = p.out.size();
    xdo(w, pointAt(BLOCK[0], 500, 500) + " click 1");
    ASSERT_TRUE(waitForCount(&p, DONE, 2, 60000));
    EXPECT_EQ(p.out.substr(mark), ACCEPT + BUSY + AIM + GRIP_TO_REST);

    // X refuses a zero height; 500 x 1 is the flattest window it gives. After each size the
    // program still answers, and where a block is clicked the frustum has followed the size.
    size_t orders = 2;
    struct {
        int width, height, block; // block clicked at this size, or -1
    } sizes[] = {{1, 1, -1}, {500, 0, -1}, {500, 1, -1}, {1200, 1000, 3}, {500, 500, 4}};
    for (const auto &s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        size_t refusals = count(p.out, REFUSED);
        xdo(w, "windowsize $W " + std::to_string(s.width) + " " + std::to_string(s.height) +
                   " key --window $W c");
        ASSERT_TRUE(waitForCount(&p, REFUSED, refusals + 1, 20000)) << "no answer to c";
        if (s.block >= 0) {
            ASSERT_TRUE(waitForCount(&p, DONE, orders, 60000)); // the crane is free again
            orders++;
            mark = p.out.size();
            xdo(w, pointAt(BLOCK[s.block], s.width, s.height) + " click 1");
            std::ostringstream line;
            line << "\nPosicion bloque : " << BLOCK[s.block].x << ", \t0, \t" << BLOCK[s.block].z;
            EXPECT_TRUE(waitForOutput(&p, line.str(), 10000)) << p.out.substr(mark);
        }
    }
    EXPECT_TRUE(waitForCount(&p, DONE, orders, 60000));
    xdo(w, "key --window $W q");
    EXPECT_TRUE(waitForExit(&p, 20000));
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(glErrors(&p), "");
}

// One loading cycle of the real program under valgrind: no invalid access, no lost block.
// The GL driver's and the X libraries' own findings are suppressed, nothing of the program.
TEST(Memcheck, FullCycleUnderValgrind) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "valgrind cannot run a sanitizer build";
#endif
    std::string log = writeTempFile("");
    setenv("LP_NUM_THREADS", "0", 1); // llvmpipe's threads only slow valgrind down
    VincaProcess p;
    p.glLog = writeTempFile("");
    ASSERT_TRUE(
        startProcess(&p,
                     {"--error-exitcode=99", "--leak-check=full", "--show-leak-kinds=definite",
                      "--errors-for-leak-kinds=definite", "--keep-debuginfo=yes",
                      "--num-callers=40", "--suppressions=" VINCA_SOURCE_DIR "/tests/valgrind.supp",
                      "--log-file=" + log, VINCA_BINARY, BLOCKS},
                     "/usr/bin/valgrind"));
    std::string w = findVincaWindow(120000);
    ASSERT_FALSE(w.empty()) << "no window";
    // Frames cost seconds under valgrind: the window is drawn small, and unmapped (so not
    // drawn) while the crane moves, except while it closes the claw on the block.
    xdo(w, std::string("windowsize $W 150 150 mousemove --window $W 75 75 type ") + OVERVIEW_KEYS);
    cameraAfterKeys(OVERVIEW_KEYS);
    xdo(w, pointAt(BLOCK[0], 150, 150) + " click 1");
    for (const char *text : {"En camino", "Cerrando pinzas", "Bloque cogido", DONE.c_str()}) {
        EXPECT_TRUE(waitForOutput(&p, text, 300000)) << p.out;
        xdo(w, text == DONE || text[0] == 'C' ? "windowmap --sync $W" : "windowunmap --sync $W");
    }
    xdo(w, "key --window $W q");
    EXPECT_TRUE(waitForExit(&p, 120000));
    EXPECT_EQ(p.status, 0);
    std::string summary = linesWith(log, {"ERROR SUMMARY", "definitely lost:", "in use at exit"});
    std::printf("%s", summary.c_str());
    EXPECT_NE(summary.find("ERROR SUMMARY: 0 errors"), std::string::npos) << summary;
    EXPECT_EQ(summary.find("definitely lost:"), summary.find("definitely lost: 0 bytes"))
        << summary;
    unlink(log.c_str());
    EXPECT_EQ(glErrors(&p), "");
}
