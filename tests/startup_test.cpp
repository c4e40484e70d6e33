// The real binary from the command line: usage, unreadable files, bad colours, clean loads.
#include "support/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

const std::string VALID = "c\t-9\t0\t2.5\t0\t3\nc\t-11.5\t0\t-3\t0\t7\n";

static std::string fileWithMode(const std::string &text, mode_t mode) {
    std::string path = writeTempFile(text);
    chmod(path.c_str(), mode);
    return path;
}

static void expectRefusal(const std::vector<std::string> &args, bool asNobody,
                          const std::string &out) {
    SCOPED_TRACE(args.empty() ? "no argument" : args[0]);
    VincaProcess p;
    p.asNobody = asNobody;
    ASSERT_TRUE(startProcess(&p, args));
    EXPECT_TRUE(waitForExit(&p, 20000)) << "still running";
    EXPECT_EQ(p.out, out);
    EXPECT_EQ(p.status, 1);
}

TEST(Startup, RefusesBeforeTheBanner) {
    std::string missing = "/tmp/vinca-no-such-file";
    expectRefusal({}, false, USAGE);
    expectRefusal({"a", "b"}, false, USAGE);
    expectRefusal({missing}, false, OPEN_ERROR_TEXT + missing + "\n");
    expectRefusal({"/tmp"}, false, OPEN_ERROR_TEXT + std::string("/tmp\n"));
}

// Apart from the rest: a Windows build under wine runs as root, who reads every file.
TEST(Startup, RefusesAFileItsUserCannotRead) {
    std::string unreadable = fileWithMode(VALID, 0222);
    expectRefusal({unreadable}, true, OPEN_ERROR_TEXT + unreadable + "\n");
    unlink(unreadable.c_str());
}

// A Ctrl-Z byte is one more byte between records, as on Linux, and ends no file; a CR LF
// line reads as its LF one does.
TEST(Startup, BadColourAfterValidRecordsEndsAfterTheBanner) {
    const struct {
        const char *between, *colourLine;
    } cases[] = {{"", "12\n"}, {"", "-1\n"}, {"\x1a", "12\n"}, {"", "12\r\n"}};
    for (const auto &c : cases) {
        std::string text = VALID + c.between + "c\t-5\t0\t3\t0\t" + c.colourLine;
        SCOPED_TRACE(testing::PrintToString(text));
        std::string path = writeTempFile(text);
        expectRefusal({path}, false, BANNER + COLOUR_ERROR);
        unlink(path.c_str());
    }
}

// Loads, opens the window, and leaves on q with status 0, having printed only the banner.
TEST(Startup, LoadsAndQuitsOnQ) {
    struct {
        const char *name;
        std::string text;
        mode_t mode;
        bool asNobody;
    } cases[] = {{"empty file", "", 0644, false},
                 {"read-only file, not writable by its reader", VALID, 0444, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = fileWithMode(c.text, c.mode);
        VincaProcess p;
        p.asNobody = c.asNobody;
        ASSERT_TRUE(startProcess(&p, {path}));
        EXPECT_TRUE(waitForOutput(&p, BANNER, 10000)) << "observed: " << p.out;
        unlink(path.c_str()); // opened before the banner; the open stream still reads it
        std::string window = findVincaWindow();
        if (window.empty()) {
            ADD_FAILURE() << "no window";
            continue;
        }
        xdotool("key --window " + window + " q");
        EXPECT_TRUE(waitForExit(&p, 10000)) << "still running after q";
        EXPECT_EQ(p.out, BANNER);
        EXPECT_EQ(p.status, 0);
    }
}
