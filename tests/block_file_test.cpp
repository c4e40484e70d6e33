// The block reader on in-memory streams: layouts, relocation, failed conversions, limits.
#include "app/app.h"
#include "common/common.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// The latest stream opened, until it is closed, and whether a temporary file can be made, as
// a machine without a writable temporary folder has none (linked with --wrap).
static std::FILE *lastOpened = nullptr;
static bool temporaryFolder = true;
extern "C" std::FILE *__real_fmemopen(void *bytes, size_t size, const char *mode);
extern "C" std::FILE *__wrap_fmemopen(void *bytes, size_t size, const char *mode) {
    return lastOpened = __real_fmemopen(bytes, size, mode);
}
extern "C" std::FILE *__real_tmpfile();
extern "C" std::FILE *__wrap_tmpfile() {
    return lastOpened = temporaryFolder ? __real_tmpfile() : nullptr;
}
extern "C" int __real_fclose(std::FILE *stream);
extern "C" int __wrap_fclose(std::FILE *stream) {
    lastOpened = stream == lastOpened ? nullptr : lastOpened;
    return __real_fclose(stream);
}

const char *const EXAMPLE = "c\t-9\t0\t2.5\t0\t3\nc\t-11.5\t0\t-3\t0\t7\nc\t-7\t0\t0\t1\t11\n";
const std::vector<Block> EXAMPLE_BLOCKS = {
    {-9, 0, 2.5f, 0, 3, 1}, {-11.5f, 0, -3, 0, 7, 1}, {-7, 0, 0.5f, 1, 11, 1}};

// What the program printed while f ran.
static std::string captured(const std::function<void()> &f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// Reads text into the table from its count on, from a scrambled pose.
static void append(const std::string &text, void (*reader)(std::FILE *) = readBlockFile) {
    cranePose = {12, 34, 5, 6};
    boomTip = {1, 2, 3};
    std::FILE *file = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    reader(file);
    std::fclose(file);
}

// Reads text into a fresh table.
static void load(const std::string &text, void (*reader)(std::FILE *) = readBlockFile) {
    blockCount = 0;
    append(text, reader);
}

// As load, the messages sent to stderr, where a death test sees them.
static void loadToStderr(const std::string &text, void (*reader)(std::FILE *) = readBlockFile) {
    dup2(2, 1);
    load(text, reader);
}

static std::string records(int from, int to, int color) {
    std::string text;
    for (int i = from; i <= to; i++) {
        text += "c " + std::to_string(-i) + " 0 " + std::to_string(i) + " " + std::to_string(i) +
                " " + std::to_string(color) + "\n";
    }
    return text;
}

struct ReaderCase {
    const char *name;
    std::string text;
    std::vector<Block> blocks;
    int relocations;
};

TEST(BlockReader, LoadsEveryLayoutAsWritten) {
    std::vector<Block> thirty;
    for (int i = 1; i <= 30; i++) {
        thirty.push_back({static_cast<float>(-i), 0, static_cast<float>(i), i, 4, 1});
    }
    const Block first = {1, 2, 3, 4, 5, 1};
    const ReaderCase cases[] = {
        {"example, tabs", EXAMPLE, EXAMPLE_BLOCKS, 1},
        {"one line, spaces, number right after c", "c-9 0 2.5 0 3 c -11.5 0 -3 0 7 c -7 0 0 1 11",
         EXAMPLE_BLOCKS, 1},
        {"one number per line", "c\n-9\n0\n2.5\n0\n3\nc\n-11.5\n0\n-3\n0\n7\nc\n-7\n0\n0\n1\n11\n",
         EXAMPLE_BLOCKS, 1},
        {"31 records, the 31st (colour 99) never read", records(1, 30, 4) + records(31, 31, 99),
         thirty, 0},
        {"colours 0 and 11, x = y = 0",
         "c 0 0 1 0 0\nc 0 0 2 0 11\n",
         {{0, 0, 1, 0, 0, 1}, {0, 0, 2, 0, 11, 1}},
         0},
        {"z = -0 relocated, 0.001 kept",
         "c 1 0 -0 0 1\nc 1 0 0.001 0 1\nc 1 0 0e5 0 1\n",
         {{1, 0, 0.5f, 0, 1, 1}, {1, 0, 0.001f, 0, 1, 1}, {1, 0, 0.5f, 0, 1, 1}},
         2},
        {"header word: its c stores the start values",
         "Bloques de carga\nc 1 2 3 4 5\n",
         {{0, 0, 0.5f, 0, 0, 1}, first},
         1},
        {"trailing lone c repeats the last block", "c 1 2 3 4 5\nc", {first, first}, 0},
        {"uppercase C is no record", "C 1 2 3 4 5\nc 1 2 3 4 5", {first}, 0},
        {"bad y: y, z, tag, colour kept",
         "c 1 2 3 4 5\nc 6 x 7 8 9\n",
         {first, {6, 2, 3, 4, 5, 1}},
         0},
        {"bad tag: tag and colour kept",
         "c 1 2 3 4 5\nc 6 7 8 x 9\n",
         {first, {6, 7, 8, 4, 5, 1}},
         0},
        {"file ends inside a record", "c 1 2 3 4 5\nc 6 7", {first, {6, 7, 3, 4, 5, 1}}, 0},
        {"comment word with two c", "c 1 2 3 4 5\n# checked\n", {first, first, first}, 0},
        {"no lowercase c at all", "BLOQUES 1 2 3 4 5\n", {}, 0},
    };
    for (const ReaderCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = captured([&] { load(c.text); });
        std::string expectedOut;
        for (int i = 0; i < c.relocations; i++) {
            expectedOut += RELOCATED_TEXT;
        }
        EXPECT_EQ(out, expectedOut);
        ASSERT_EQ(blockCount, static_cast<int>(c.blocks.size()));
        for (int i = 0; i < blockCount; i++) {
            const Block &e = c.blocks[i], &o = blockTable[i];
            EXPECT_TRUE(e.x == o.x && e.y == o.y && e.z == o.z && e.tag == o.tag &&
                        e.color == o.color && o.present == 1)
                << "block " << i << ": expected (" << e.x << "," << e.y << "," << e.z << ") tag "
                << e.tag << " colour " << e.color << ", observed (" << o.x << "," << o.y << ","
                << o.z << ") tag " << o.tag << " colour " << o.color << " present " << o.present;
        }
        EXPECT_TRUE(cranePose.slewAngle == 0 && cranePose.luffAngle == 0 &&
                    cranePose.cableLength == 3 && cranePose.clawAngle == 0)
            << "pose not at rest";
        EXPECT_EQ(std::memcmp(&boomTip, &REST_BOOM_TIP, sizeof boomTip), 0) << "boom tip";
    }
}

// Both readers go on from the count up to a full table; onto a full one they read and print
// nothing, and only put the crane at rest.
TEST(BlockReader, AppendsFromTheCountUpToAFullTable) {
    for (void (*reader)(std::FILE *) : {readBlockFile, loadBlockFile}) {
        load(records(1, 28, 4), reader);
        append(records(29, 31, 4), reader);
        ASSERT_EQ(blockCount, MAX_BLOCKS);
        EXPECT_EQ(blockTable[MAX_BLOCKS - 1].tag, MAX_BLOCKS) << "the 30th record last";
        std::vector<Block> full(blockTable, blockTable + MAX_BLOCKS);
        // Unread: no relocation.
        EXPECT_EQ(captured([&] { append(records(31, 32, 4) + "c 0 0 0 0 0\n", reader); }), "");
        EXPECT_EQ(blockCount, MAX_BLOCKS);
        EXPECT_EQ(std::memcmp(blockTable, full.data(), sizeof(Block) * MAX_BLOCKS), 0);
        EXPECT_EQ(std::memcmp(&boomTip, &REST_BOOM_TIP, sizeof boomTip), 0) << "not at rest";
    }
}

TEST(BlockReaderDeathTest, ColourOutsideRangeEndsWithStatus1) {
    for (const char *bad : {"-1", "12"}) {
        SCOPED_TRACE(bad);
        std::string text = records(1, 2, 4) + "c -5 0 3 0 " + bad + "\nc -5 0 4 0 1\n";
        EXPECT_EXIT(
            loadToStderr(text), testing::ExitedWithCode(1),
            "^\nError al leer fichero de datos\\.\\. \nEl color de la caja tiene que ser un "
            "entero perteneciente a \\[0,11\\]$");
    }
}

// A stream that can only fail must end the reading, not spin on it.
TEST(BlockReaderDeathTest, ReadErrorDoesNotHang) {
    const char *streams[][2] = {{"/tmp", "r"}, {"/dev/null", "w"}};
    for (const auto &s : streams) {
        SCOPED_TRACE(s[0]);
        EXPECT_EXIT(
            {
                alarm(10);
                std::FILE *file = std::fopen(s[0], s[1]);
                blockCount = 0;
                readBlockFile(file);
                std::exit(blockCount == 0 && cranePose.cableLength == 3 ? 0 : 2);
            },
            testing::ExitedWithCode(0), "");
    }
}

// openBlockFile's probe read must not cost the first record where rewind cannot seek back,
// nor start-up's bounded reading.
TEST(BlockReader, OpensAPipeWithoutLosingItsFirstByte) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string text = "c\t-9\t0\t2.5\t0\t3\n";
    ASSERT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds[1]);
    std::FILE *file = openBlockFile(("/proc/self/fd/" + std::to_string(fds[0])).c_str());
    ASSERT_NE(file, nullptr);
    blockCount = 0;
    loadBlockFile(file);
    std::fclose(file);
    close(fds[0]);
    ASSERT_EQ(blockCount, 1) << "the record starting at the probed byte was lost";
    EXPECT_TRUE(blockTable[0].x == -9 && blockTable[0].z == 2.5f && blockTable[0].color == 3);
}

// Up to the bound, or with the table full before it, start-up's bounded reading gives what
// the reader gives on the whole stream.
TEST(BlockLoader, GivesTheReadersTableUpToTheBound) {
    const struct {
        const char *name;
        std::string text;
        int blocks;
    } cases[] = {{"example", EXAMPLE, 3},
                 {"empty", "", 0},
                 {"100,000 records", records(1, 100000, 4), 30},
                 {"the bound exactly, no record", std::string(BLOCK_FILE_LIMIT, ' '), 0},
                 {"30 records, then white space past the bound",
                  records(1, 30, 4) + std::string(BLOCK_FILE_LIMIT, '\n'), 30}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = captured([&] { load(c.text); });
        std::vector<Block> whole(blockTable, blockTable + blockCount);
        EXPECT_EQ(captured([&] { load(c.text, loadBlockFile); }), out);
        ASSERT_EQ(blockCount, c.blocks);
        EXPECT_TRUE(whole.empty() ||
                    std::memcmp(blockTable, whole.data(), sizeof(Block) * blockCount) == 0);
    }
}

// Start-up reads in memory, so it needs no temporary folder, and closes the stream it opens
// (load opens its own first, and closes it last).
TEST(BlockLoader, ReadsInMemoryAndClosesItsStream) {
    temporaryFolder = false;
    for (const std::string &text : {std::string(), records(1, 3, 4)}) {
        load(text, loadBlockFile);
        EXPECT_EQ(blockCount, text.empty() ? 0 : 3);
        EXPECT_EQ(lastOpened, nullptr) << "a stream left open";
    }
    temporaryFolder = true;
}

// Windows' fallback: inside the user's temporary folder as the system gives it, never beside
// it or in the root, and no path at all rather than a cut one.
TEST(MemoryStream, TemporaryFileGoesInTheGivenFolder) {
    const struct {
        const char *folder;
        unsigned long number;
        const char *path;
    } cases[] = {
        {"C:\\Users\\ana\\AppData\\Local\\Temp\\", 0x2a,
         "C:\\Users\\ana\\AppData\\Local\\Temp\\vinca-2a.tmp"},
        {"D:\\Temp", 0xffffffff, "D:\\Temp\\vinca-ffffffff.tmp"},
        {"Z:/tmp/", 0, "Z:/tmp/vinca-0.tmp"},
        {"", 1, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        char path[64];
        EXPECT_EQ(temporaryFilePath(c.folder, c.number, path, sizeof path), c.path != nullptr);
        EXPECT_STREQ(path, c.path != nullptr ? c.path : "");
    }
    char exact[21]; // "D:\Temp\vinca-2a.tmp" and its null
    EXPECT_TRUE(temporaryFilePath("D:\\Temp", 0x2a, exact, sizeof exact));
    EXPECT_FALSE(temporaryFilePath("D:\\Temp", 0x2a, exact, sizeof exact - 1)) << "cut";
    EXPECT_STREQ(exact, "");
}

// Past the bound with the table not full, or with a record the bound cuts, the reader would
// go on into bytes never read. The 30th record cut after its x, before its colour and inside
// its z ("0" | ".5", which alone would be moved off the axis) names itself.
TEST(BlockLoaderDeathTest, PastTheBoundWithoutAFullTableEndsWithStatus1) {
    const std::string noFullTable = "^\nError al leer fichero de datos\\.\\. \nEl fichero tiene "
                                    "m\xe1s de 1048576 bytes sin llegar a 30 bloques$";
    const std::string cutRecord = "^\nError al leer fichero de datos\\.\\. \nEl bloque 30 sigue "
                                  "m\xe1s all\xe1 de los primeros 1048576 bytes$";
    const std::string first29 = records(1, 29, 4), last = "c\t1\t0\t0.5\t4\t5\n";
    auto cutAfter = [&](const std::string &head) {
        return first29 + std::string(BLOCK_FILE_LIMIT - first29.size() - head.size(), ' ') + last;
    };
    const struct {
        std::string text, message;
    } cases[] = {
        {std::string(BLOCK_FILE_LIMIT + 1, '\0'), noFullTable},
        {first29 + std::string(BLOCK_FILE_LIMIT, ' ') + records(30, 30, 4), noFullTable},
        {cutAfter("c\t1\t"), cutRecord},
        {cutAfter("c\t1\t0\t0.5\t4\t"), cutRecord},
        {cutAfter("c\t1\t0\t0"), cutRecord},
    };
    for (const auto &c : cases) {
        EXPECT_EXIT(loadToStderr(c.text, loadBlockFile), testing::ExitedWithCode(1), c.message);
    }
}
