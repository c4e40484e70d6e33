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

TEST(Startup, RefusesBeforeTheBanner) {
    std::string missing = "/tmp/vinca-no-such-file", unreadable = fileWithMode(VALID, 0222);
    struct {
        std::vector<std::string> args;
        bool asNobody;
        std::string out;
    } cases[] = {
        {{}, false, USAGE},
        {{"a", "b"}, false, USAGE},
        {{missing}, false, "\nError al arbir fichero " + missing + "\n"},
        {{"/tmp"}, false, "\nError al arbir fichero /tmp\n"},
        {{unreadable}, true, "\nError al arbir fichero " + unreadable + "\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no argument" : c.args[0]);
        VincaProcess p;
        ASSERT_TRUE(c.asNobody ? startProcessAsNobody(&p, c.args) : startProcess(&p, c.args));
        EXPECT_TRUE(waitForExit(&p, 20000)) << "still running";
        EXPECT_EQ(p.out, c.out);
        EXPECT_EQ(p.status, 1);
    }
    unlink(unreadable.c_str());
}

TEST(Startup, BadColourAfterValidRecordsEndsAfterTheBanner) {
    for (const char *bad : {"12", "-1"}) {
        std::string path = writeTempFile(VALID + "c\t-5\t0\t3\t0\t" + bad + "\n");
        VincaProcess p = runToEnd({path});
        EXPECT_EQ(p.out, BANNER + COLOUR_ERROR) << "colour " << bad;
        EXPECT_EQ(p.status, 1) << "colour " << bad;
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
        ASSERT_TRUE(c.asNobody ? startProcessAsNobody(&p, {path}) : startProcess(&p, {path}));
        EXPECT_TRUE(waitForOutput(&p, BANNER, 10000)) << "observed: " << p.out;
        unlink(path.c_str()); // opened before the banner; the open stream still reads it
        std::string window = findVincaWindow();
        if (window.empty()) {
            ADD_FAILURE() << "no window";
            stopProcess(&p);
            continue;
        }
        xdotool("key --window " + window + " q");
        EXPECT_TRUE(waitForExit(&p, 10000)) << "still running after q";
        EXPECT_EQ(p.out, BANNER);
        EXPECT_EQ(p.status, 0);
    }
}
