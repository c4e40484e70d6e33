// How the real program ends when its input or its window does not.
#include "support/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// What follows the read error's text; the page's test reads it from here too.
const char TOO_BIG_TEXT[] = "\nEl fichero tiene m\xe1s de 1048576 bytes sin llegar a 30 bloques";
const std::string TOO_BIG = READ_ERROR_TEXT + std::string(TOO_BIG_TEXT);

// Whether the program holds a socket: before its window it has not connected to the
// display. Asked of the process, so other suites' windows of the same title cannot answer;
// false until the fork has become the program, as the fork holds the test's connection.
static bool connectedToDisplay(pid_t pid) {
    std::string proc = "/proc/" + std::to_string(pid);
    char link[4096] = "";
    ssize_t n = readlink((proc + "/exe").c_str(), link, sizeof link - 1);
    bool found = false;
    DIR *fds =
        n > 0 && std::string(link, n) == VINCA_BINARY ? opendir((proc + "/fd").c_str()) : nullptr;
    for (dirent *e; fds != nullptr && !found && (e = readdir(fds)) != nullptr;) {
        n = readlink((proc + "/fd/" + e->d_name).c_str(), link, sizeof link - 1);
        found = n > 0 && std::string(link, n).rfind("socket:", 0) == 0;
    }
    if (fds != nullptr) {
        closedir(fds);
    }
    return found;
}

TEST(EndlessInput, EndsWithAMessageBeforeAWindow) {
    char zeros[] = "/tmp/vinca-zeros-XXXXXX";
    int fd = mkstemp(zeros);
    ASSERT_EQ(ftruncate(fd, 4ll << 30), 0) << "4 GiB of zeros, sparse";
    close(fd);
    for (const char *path : {"/dev/zero", static_cast<const char *>(zeros)}) {
        SCOPED_TRACE(path);
        VincaProcess p;
        ASSERT_TRUE(startProcess(&p, {path}));
        bool connected = false;
        for (int ms = 0; p.outFd >= 0 && ms < 5000; ms++) { // until its output closes
            connected = connected || connectedToDisplay(p.pid);
            waitForOutput(&p, "\x01", 1);
        }
        EXPECT_TRUE(waitForExit(&p, 100)) << "still running after 5 s";
        EXPECT_EQ(p.out, BANNER + TOO_BIG);
        EXPECT_EQ(p.status, 1);
        EXPECT_FALSE(connected) << "it reached the display";
    }
    unlink(zeros);
}

TEST(EndlessInput, OpenPipeWaitsWithoutAWindowUntilCtrlC) {
    std::string fifo = writeTempFile("");
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int writer = open(fifo.c_str(), O_RDWR | O_CLOEXEC); // a writer that never closes
    unlink(fifo.c_str());
    ASSERT_GE(writer, 0);
    const std::string record = "c\t-5\t0\t3\t1\t3\n";
    ASSERT_EQ(write(writer, record.data(), record.size()), static_cast<ssize_t>(record.size()));
    VincaProcess p;
    ASSERT_TRUE(
        startProcess(&p, {"/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(writer)}));
    EXPECT_TRUE(waitForOutput(&p, BANNER, 10000)) << p.out;
    EXPECT_TRUE(waitUntilAsleep(p.pid)) << "never waited on the pipe";
    EXPECT_EQ(waitpid(p.pid, nullptr, WNOHANG), 0) << "ended on its own: " << p.out;
    EXPECT_FALSE(connectedToDisplay(p.pid)) << "it reached the display while waiting";
    kill(p.pid, SIGINT);
    EXPECT_TRUE(waitForExit(&p, 5000)) << "Ctrl-C did not end it";
    EXPECT_EQ(p.signal, SIGINT);
    EXPECT_EQ(p.out, BANNER);
    close(writer);
}

// Destroyed as it shows, a frame drawn into the window may fail with an X error; or the
// program sits idle by then. A killed connection ends it with Xlib's status 1, as always.
TEST(WindowGone, ProcessEndsWithItsWindow) {
    const struct {
        const char *command;
        bool idle;
        int status;
    } ways[] = {{"windowclose", false, 0}, {"windowclose", true, 0}, {"windowkill", false, 1}};
    for (const auto &w : ways) {
        SCOPED_TRACE(std::string(w.command) + (w.idle ? " once idle" : " as it shows"));
        VincaProcess p;
        ASSERT_TRUE(startProcess(&p, {VINCA_SOURCE_DIR "/data/blocks.txt"}));
        // Another suite's window of the same title would be the wrong one to destroy.
        std::string windows;
        waitUntil([&] {
            windows = xdotool(windowSearch());
            return std::count(windows.begin(), windows.end(), '\n') == 1;
        });
        ASSERT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1) << windows;
        windows.pop_back();
        EXPECT_TRUE(!w.idle || waitUntilAsleep(p.pid)) << "never idle";
        xdotool(std::string(w.command) + " " + windows);
        EXPECT_TRUE(waitForExit(&p, 5000)) << "still running with no window";
        EXPECT_EQ(p.status, w.status);
        EXPECT_EQ(p.out, BANNER);
        EXPECT_TRUE(kill(p.pid, 0) != 0 && errno == ESRCH) << "process left behind";
    }
}

// Started with standard output closed, as some launchers and daemons start programs, the
// display connection must not take its number: the narration would go into the X socket and
// freeze the window. It still answers keys, and q ends it with status 0.
TEST(ClosedConsole, WindowStillAnswersKeys) {
    for (const std::vector<int> &closed : {std::vector<int>{1}, std::vector<int>{1, 2}}) {
        SCOPED_TRACE("closed: " + testing::PrintToString(closed));
        VincaProcess p;
        p.pid = fork();
        ASSERT_GE(p.pid, 0);
        if (p.pid == 0) {
            for (int fd : closed) {
                close(fd);
            }
            execl(VINCA_BINARY, VINCA_BINARY, VINCA_SOURCE_DIR "/data/blocks.txt", nullptr);
            _exit(127);
        }
        std::string window = findVincaWindow();
        ASSERT_FALSE(window.empty()) << "no window";
        // In block-collection mode c prints a refusal: the first text after the window.
        xdotool("key --window " + window + " c");
        waitUntilAsleep(p.pid);
        xdotool("key --window " + window + " q");
        EXPECT_TRUE(waitForExit(&p, 10000)) << "q did not end it";
        EXPECT_EQ(p.status, 0);
    }
}
