// Endurance in-process: hundreds of load cycles with menu resets mid-operation, and blocks
// the boom can never reach. The idle step is run as GLUT would run it.
#include "app/app.h"
#include "automation/automation.h"
#include "scene/scene.h"
#include "support/operation.h"

#include "platform/platform.h"
#include <algorithm>
#include <bitset>
#include <gtest/gtest.h>
#include <malloc.h>
#include <string>
#include <vector>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // the sanitizer's own heap
#endif

static size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

static void load(const std::string &text) {
    resetScene({});
    loadBlockText(text);
    menuSelect(MENU_COLLECTION_MODE);
}

// The crane at rest and free; the narration of cycles run with runIdle is not printed.
static void expectAtRest(const std::string &where) {
    EXPECT_TRUE(atRest() && installedIdleStep() == nullptr && readyForOrder == 1 &&
                heldBlock == -1 && targetBlock == -1 && manualMode == 0)
        << where << ": " << stateText();
}

using LongRun = GLTest;
using BadInput = GLTest;

TEST_F(LongRun, TwoHundredCyclesWithMenuResets) {
    // The sample quay plus the two blocks on the Z axis. Clicks are left out, so the figure
    // is the cycles' heap alone; picks have their own bound (pick_memory_test.cpp).
    load("c -5 0 3 1 3\nc -7 0 -3 2 4\nc -4 0 -6 3 6\nc -8 0 4 4 5\nc -3 0 7 5 1\n"
         "c -6 0 -1.5 6 2\nc -2.5 0 -4 7 9\nc -6.5 0 6.5 8 10\nc -3.5 0 4.5 9 7\n"
         "c -8.5 0 -1.5 10 11\nc 0 0 6 11 0\nc 0 0 -6 12 8\n");
    std::bitset<MAX_BLOCKS> unloaded; // no heap of its own, so the figures are the program's
    std::vector<size_t> heap;         // after each cycle
    heap.reserve(200);
    int longest = 0, endlessLuffs = 0;
    for (int cycle = 0; cycle < 200; cycle++) {
        std::string where = "cycle " + std::to_string(cycle);
        if (static_cast<int>(unloaded.count()) == blockCount) {
            menuSelect(MENU_COLLECTION_MODE);
            unloaded.reset();
        }
        int block = (cycle * 5) % blockCount;
        while (unloaded[block]) {
            block = (block + 1) % blockCount;
        }
        startOrder(block);
        int interruptAt = (cycle * 37) % 540 + 1;
        int calls = 0;
        if (cycle % 10 == 3 || cycle % 10 == 7) {
            calls = runIdle(interruptAt);
            if (cycle % 10 == 7) {
                bool running = installedIdleStep() != nullptr;
                menuSelect(MENU_MANUAL_MODE);
                EXPECT_TRUE(installedIdleStep() == nullptr && readyForOrder == (running ? 0 : 1))
                    << where;
            }
            menuSelect(MENU_COLLECTION_MODE); // a running step goes on, touching no block
            unloaded.reset();
            calls += runIdle(2000);
            if (installedIdleStep() != nullptr && blockTable[block].x == 0 && slewAligned == 1 &&
                reachAligned == 0) {
                // From the rest pose the tip cannot meet a Z-axis block's line by luffing
                // alone: the endless luff, ended as a user would.
                menuSelect(MENU_MANUAL_MODE);
                menuSelect(MENU_COLLECTION_MODE);
                endlessLuffs++;
            }
        } else {
            calls = runIdle(150);
            display(); // drawn once per cycle with the block in the claw
            unloaded.set(block);
            calls += runIdle(2000);
        }
        ASSERT_EQ(installedIdleStep(), nullptr) << where << ": still running after " << calls;
        longest = std::max(longest, calls);
        expectAtRest(where);
        for (int i = 0; i < blockCount; i++) {
            ASSERT_EQ(blockTable[i].present, unloaded[i] ? 0 : 1) << where << ", block " << i;
        }
        heap.push_back(heapInUse());
    }
    // The driver and the C library warm up over the first cycles (one-off buffers appear up
    // to cycle 90); the least in-use figure of a span is free of transient buffers, and any
    // leak per cycle would raise it.
    size_t early = *std::min_element(heap.begin() + 100, heap.begin() + 120);
    size_t late = *std::min_element(heap.end() - 20, heap.end());
    std::printf("\nlongest cycle %d calls; %d endless luffs ended by the menu; heap in use "
                "after cycles 101-120: %zu bytes, after cycles 181-200: %zu bytes\n",
                longest, endlessLuffs, early, late);
    EXPECT_LE(late, early) << "heap grew";
}

// Blocks the boom cannot reach (or whose numbers are not finite) keep the crane busy without
// end; the menu's manual entry and then its collection entry give a crane that works again.
TEST_F(BadInput, UnreachableBlocksAreRecoveredWithTheMenu) {
    struct {
        const char *record; // the unreachable block, after the reachable (-5, 0, 3)
        bool ends;          // the operation ends by itself
    } cases[] = {{"-12 0 3", false},      {"1e39 0 3", false},   {"nan 0 3", false},
                 {"-5 0 inf", false},     {"-5 -1e39 3", false}, {"nan nan nan", true},
                 {"-inf inf -inf", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.record);
        load(std::string("c -5 0 3 0 1\nc ") + c.record + " 0 2\n");
        display();
        startOrder(1);
        int calls = runIdle(5000);
        EXPECT_EQ(installedIdleStep() == nullptr, c.ends) << "after " << calls << " calls";
        menuSelect(MENU_MANUAL_MODE);
        menuSelect(MENU_COLLECTION_MODE);
        expectAtRest("after the menu");
        startOrder(0);
        calls = runIdle(2000);
        EXPECT_EQ(calls, 119 + 425) << "the (-5, 0, 3) cycle after recovery";
        EXPECT_EQ(blockTable[0].present, 0);
        expectAtRest("after the next cycle");
    }
}
