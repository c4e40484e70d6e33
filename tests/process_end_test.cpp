// How the real program ends when its input or its window does not: endless block files, a
// pipe that stays open, a window destroyed by another program.
#include "support/process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// After gtest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/Xlib.h>

const std::string TOO_BIG = "\nError al leer fichero de datos.. \nEl fichero tiene m\xe1s de "
                            "1048576 bytes sin llegar a 30 bloques";

static double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whether the program holds a socket: until its window it has none, as it has not yet
// connected to the display. Asked of the process itself, so that other suites' windows of
// the same title cannot answer for it; false until the fork has become the program, as the
// fork still holds the test's own connection.
static bool connectedToDisplay(pid_t pid) {
    std::string proc = "/proc/" + std::to_string(pid);
    char target[4096] = "";
    ssize_t n = readlink((proc + "/exe").c_str(), target, sizeof target - 1);
    if (n <= 0 || std::string(target, static_cast<size_t>(n)) != VINCA_BINARY) {
        return false;
    }
    DIR *fds = opendir((proc + "/fd").c_str());
    bool found = false;
    for (dirent *e; fds != nullptr && !found && (e = readdir(fds)) != nullptr;) {
        n = readlink((proc + "/fd/" + e->d_name).c_str(), target, sizeof target - 1);
        found = n > 0 && std::string(target, static_cast<size_t>(n)).rfind("socket:", 0) == 0;
    }
    if (fds != nullptr) {
        closedir(fds);
    }
    return found;
}

// A terminal's Ctrl-C reaches a program whose SIGINT is at its default, whatever the test
// runner's own disposition (a shell's background jobs ignore it).
static bool startWithDefaultInterrupt(VincaProcess *p, const std::vector<std::string> &args) {
    struct sigaction byDefault = {}, previous = {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(SIGINT, &byDefault, &previous);
    bool started = startProcess(p, args);
    sigaction(SIGINT, &previous, nullptr);
    return started;
}

// Input with no end, or far more than a block file, ends the program before any window:
// the banner, the refusal, status 1, within a second or two.
TEST(EndlessInput, EndsWithAMessageBeforeAWindow) {
    char sparse[] = "/tmp/vinca-zeros-XXXXXX";
    int fd = mkstemp(sparse);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 4ll << 30), 0) << "4 GiB of zeros, sparse";
    close(fd);
    for (const char *path : {"/dev/zero", static_cast<const char *>(sparse)}) {
        SCOPED_TRACE(path);
        VincaProcess p;
        StopAtScopeEnd stop{&p};
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(startProcess(&p, {path}));
        bool connected = false;
        while (p.outFd >= 0 && secondsSince(start) < 5) { // until its output closes
            connected = connected || connectedToDisplay(p.pid);
            waitForOutput(&p, "\x01", 1);
        }
        ASSERT_TRUE(waitForExit(&p, 5000 - static_cast<int>(secondsSince(start) * 1000)))
            << "still running after 5 s";
        double seconds = secondsSince(start);
        std::printf("%s: status %d after %.3f s\n", path, p.status, seconds);
        EXPECT_EQ(p.out, BANNER + TOO_BIG);
        EXPECT_EQ(p.status, 1);
        EXPECT_FALSE(connected) << "it reached the display";
    }
    unlink(sparse);
}

// A pipe whose writer never closes: the program waits, as cat would, with no window, and
// Ctrl-C ends it.
TEST(EndlessInput, OpenPipeWaitsWithoutAWindowUntilCtrlC) {
    std::string fifo = writeTempFile("");
    unlink(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    VincaProcess p;
    StopAtScopeEnd stop{&p};
    ASSERT_TRUE(startWithDefaultInterrupt(&p, {fifo}));
    int writer = -1; // opens once the program has the pipe open for reading
    for (int i = 0; i < 500 && writer < 0; i++) {
        writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    unlink(fifo.c_str());
    ASSERT_GE(writer, 0) << "the program never opened the pipe";
    const std::string record = "c\t-5\t0\t3\t1\t3\n";
    EXPECT_EQ(write(writer, record.data(), record.size()), static_cast<ssize_t>(record.size()));

    EXPECT_TRUE(waitForOutput(&p, BANNER, 10000)) << p.out;
    waitForOutput(&p, "nothing more is printed", 1500);
    int status = 0;
    EXPECT_EQ(waitpid(p.pid, &status, WNOHANG), 0) << "ended on its own: " << p.out;
    EXPECT_FALSE(connectedToDisplay(p.pid)) << "it reached the display while waiting";
    auto start = std::chrono::steady_clock::now();
    kill(p.pid, SIGINT);
    EXPECT_TRUE(waitForExit(&p, 5000)) << "Ctrl-C did not end it";
    std::printf("ended by signal %d %.3f s after Ctrl-C\n", p.signal, secondsSince(start));
    EXPECT_EQ(p.signal, SIGINT);
    EXPECT_EQ(p.out, BANNER);
    close(writer);
}

// What a window manager's close button sends: WM_DELETE_WINDOW, which freeglut answers by
// ending the program with status 0.
static void askToClose(const std::string &window) {
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

// xdotool's windowclose destroys the window (XDestroyWindow): the process ends with it, as
// on the window manager's close, and leaves nothing running. The close button and a lost
// connection to the display (windowkill) end it as they always have.
TEST(WindowGone, ProcessEndsWithItsWindow) {
    // Destroyed as soon as it shows, a frame being drawn into it may fail (an X error that
    // Xlib would turn into status 1); destroyed a second later, the program sits idle.
    const struct {
        const char *way;
        int status, waitMs;
    } ways[] = {{"destroyed at once: xdotool windowclose", 0, 0},
                {"destroyed while idle: xdotool windowclose", 0, 1000},
                {"window manager's close", 0, 0},
                {"connection killed: xdotool windowkill", 1, 0}};
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        VincaProcess p;
        StopAtScopeEnd stop{&p};
        ASSERT_TRUE(startProcess(&p, {VINCA_SOURCE_DIR "/data/blocks.txt"}));
        ASSERT_TRUE(waitForOutput(&p, BANNER, 10000)) << p.out;
        std::string window = findVincaWindow();
        ASSERT_FALSE(window.empty()) << "no window";
        // Another suite's program may show a window of the same title: wait until this one
        // is the only one, so that the right window goes.
        for (int i = 0; i < 100; i++) {
            std::string all = shell("xdotool search --onlyvisible --name '^Tavrel. CAD. Vinca "
                                    "de puerto.$' 2>/dev/null");
            if (all == window + "\n") {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            window = findVincaWindow();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(w.waitMs));
        auto start = std::chrono::steady_clock::now();
        if (w.status == 1) {
            shell("xdotool windowkill " + window + " 2>/dev/null");
        } else if (std::string(w.way).find("windowclose") != std::string::npos) {
            shell("xdotool windowclose " + window + " 2>/dev/null");
        } else {
            askToClose(window);
        }
        EXPECT_TRUE(waitForExit(&p, 5000)) << "still running with no window";
        double seconds = secondsSince(start);
        std::printf("%s: status %d after %.3f s\n", w.way, p.status, seconds);
        EXPECT_EQ(p.status, w.status);
        EXPECT_EQ(p.out, BANNER);
        // About 0.2 s here; 0.7 s in the sanitizer build, whose leak check runs at exit.
        EXPECT_LT(seconds, 3.0);
        EXPECT_TRUE(kill(p.pid, 0) != 0 && errno == ESRCH) << "process left behind";
    }
}
