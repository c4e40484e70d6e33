// Resident memory over many picks through GL_SELECT, the desktop's picker, in the test window.
#include "app/app.h"
#include "automation/automation.h"
#include "support/block_pixel.h"
#include "support/gl_window.h"

#include "platform/platform.h"
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

static long residentKb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The sample file's ten blocks from the start-up camera, clicked in turn on a block and on the
// white sky: every pick sends the whole pick scene, whatever it hits.
using PickMemory = GLTest;

TEST_F(PickMemory, ThousandPicksKeepResidentMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's quarantine holds freed memory; the plain build runs this";
#endif
    loadStartUpState(VINCA_SOURCE_DIR "/data/blocks.txt");
    ASSERT_EQ(blockCount, 10);
    int bx, by, block = -1;
    blockPixel({blockTable[5].x, blockTable[5].y, blockTable[5].z}, 500, 500, &bx, &by);
    const int pixels[2][2] = {{bx, by}, {20, 10}};
    auto pick = [&](int i) { return selectPick(pixels[i % 2][0], pixels[i % 2][1], &block); };

    for (int i = 0; i < 100; i++) { // the driver's one-off buffers
        pick(i);
    }
    long before = residentKb();
    int blockHits = 0;
    for (int i = 0; i < 1000; i++) {
        blockHits += pick(i) > 0 && block == 5;
    }
    long after = residentKb();
    std::printf("resident memory %ld KB before 1,000 picks, %ld KB after\n", before, after);
    RecordProperty("grown_kb", std::to_string(after - before));
    EXPECT_EQ(blockHits, 500) << "every other pick hits block 5";
    EXPECT_LE(after - before, 128) << "KB grown over 1,000 picks";
}
