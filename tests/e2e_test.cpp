// The real vinca under X, driven with xdotool: a whole loading cycle with a click while busy,
// the menu, and the ways out mid-operation.
#include "support/block_pixel.h"
#include "support/operation.h"
#include "support/process.h"

#include <sstream>

const std::string CYCLE = ACCEPT + BUSY + AIM + GRIP_TO_REST;
const std::string REFUSAL = REFUSED_KEY_TEXT;
const int WAIT_MS = 60000;

class OperationEndToEnd : public testing::Test {
  protected:
    VincaProcess vinca;
    std::string window, blockAt;

    void SetUp() override {
        vinca.glLog = writeTempFile("");
        // Only mapped windows: keys typed before ours is mapped would be lost.
        std::string before = "\n" + xdotool(windowSearch());
        ASSERT_TRUE(startProcess(&vinca, {VINCA_SOURCE_DIR "/tests/data/c_blocks.txt"}));
        ASSERT_TRUE(waitForOutput(&vinca, BANNER, WAIT_MS)) << vinca.out;
        // Ours is the window that was not there before; other tests may show theirs. Window
        // state has no console echo, so this polls the X server.
        ASSERT_TRUE(waitUntil([&] {
            std::istringstream now(xdotool(windowSearch()));
            while (std::getline(now, window)) {
                if (before.find("\n" + window + "\n") == before.npos) {
                    return true;
                }
            }
            return false;
        }));
        // Away from 0,0, where the windows of tests running alongside open.
        xdotool("windowmove --sync " + window + " 700 400");
        readyForKeys(window);
        cameraAfterKeys(VIEW_KEYS);
        int x, y;
        blockPixel({-5, 0, 3}, 500, 500, &x, &y);
        blockAt = std::to_string(x) + " " + std::to_string(y);
        input("250 480 type --delay 5 " + std::string(VIEW_KEYS));
    }
    void TearDown() override {
        stopProcess(&vinca);
        EXPECT_EQ(glErrors(&vinca), "");
    }
    // Pointer to window pixel "x y" (focus follows it), then the xdotool commands that follow.
    void input(const std::string &commands) {
        xdotool("mousemove --window " + window + " " + commands);
    }
    void menu(int entry) {
        ASSERT_TRUE(chooseMenu(window, entry)) << "menu entry " << entry;
    }
    void expectExit() {
        ASSERT_TRUE(waitForExit(&vinca, WAIT_MS)) << "still running";
        EXPECT_EQ(vinca.status, 0);
    }
};

TEST_F(OperationEndToEnd, WholeCycleByteForByteAndClickWhileBusy) {
    input(blockAt + " click 1");
    ASSERT_TRUE(waitForOutput(&vinca, BUSY, WAIT_MS)) << "clicked " << blockAt << vinca.out;
    input(blockAt + " click 1");
    ASSERT_TRUE(waitForOutput(&vinca, "Esperando nueva orden ;D", WAIT_MS)) << vinca.out;
    input("250 480 key q");
    expectExit();
    std::string out = vinca.out;
    size_t second = out.rfind(BUSY);
    ASSERT_NE(second, out.find(BUSY)) << "no busy lines for the second click:" << out;
    EXPECT_EQ(out.erase(second, BUSY.size()), BANNER + CYCLE);
}

TEST_F(OperationEndToEnd, MenuSwitchesModes) {
    input("250 480 key c");
    ASSERT_TRUE(waitForOutput(&vinca, REFUSAL, WAIT_MS)) << vinca.out;
    menu(2);
    input("250 480 key c"); // manual mode: moves the cable, prints nothing
    menu(1);
    input("250 480 key c");
    ASSERT_TRUE(waitForOutput(&vinca, REFUSAL + REFUSAL, WAIT_MS)) << vinca.out;
    menu(0);
    expectExit();
    EXPECT_EQ(vinca.out, BANNER + REFUSAL + REFUSAL);
}

class OperationEndToEndExit : public OperationEndToEnd,
                              public testing::WithParamInterface<const char *> {};

TEST_P(OperationEndToEndExit, EndsMidOperationWithStatusZero) {
    input(blockAt + " click 1");
    ASSERT_TRUE(waitForOutput(&vinca, BUSY, WAIT_MS)) << vinca.out;
    GetParam() == std::string("Exit") ? menu(0) : input("250 480 key " + std::string(GetParam()));
    expectExit();
    EXPECT_EQ(vinca.out.find("Esperando"), std::string::npos) << "not mid-operation";
    EXPECT_EQ((BANNER + CYCLE).compare(0, vinca.out.size(), vinca.out), 0) << vinca.out;
}

INSTANTIATE_TEST_SUITE_P(Ways, OperationEndToEndExit, testing::Values("q", "Q", "Escape", "Exit"));
