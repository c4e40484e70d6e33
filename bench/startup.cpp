// Start-up to first frame, measured from outside the process: a separate X connection
// listens for the window's MapNotify on the root window, then reads one row of the
// window's pixels from the server until it equals the same row of the benchmark's own
// first frame. The clock starts just before posix_spawn. The X server is already running.
#include "startup.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

const int WINDOW_SIZE = 500;
const long long TIMEOUT_NS = 10000000000LL;

long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int ignoreXError(Display *, XErrorEvent *) {
    return 0;
}

Display *watcher() {
    static Display *dpy = nullptr;
    if (dpy == nullptr) {
        dpy = XOpenDisplay(nullptr);
        XSetErrorHandler(ignoreXError);
        if (dpy != nullptr) {
            XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
            XSync(dpy, False);
        }
    }
    return dpy;
}

void drainEvents(Display *dpy) {
    XSync(dpy, False);
    while (XPending(dpy) > 0) {
        XEvent ev;
        XNextEvent(dpy, &ev);
    }
}

std::vector<unsigned> rowOf(Display *dpy, Window window, int row, int width) {
    std::vector<unsigned> pixels;
    XImage *image =
        XGetImage(dpy, window, 0, row, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return pixels;
    }
    for (int x = 0; x < width; x++) {
        pixels.push_back(static_cast<unsigned>(XGetPixel(image, x, 0)) & 0xFFFFFFu);
    }
    XDestroyImage(image);
    return pixels;
}

// Starts binary on blockFile with its output to /dev/null; -1 if it cannot.
pid_t spawn(const std::string &binary, const std::string &blockFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(binary.c_str()), const_cast<char *>(blockFile.c_str()),
                    nullptr};
    pid_t pid = -1;
    bool started = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? pid : -1;
}

long peakRssKb(pid_t pid) {
    char path[64], line[256];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    std::FILE *f = std::fopen(path, "r");
    long kb = 0;
    while (f != nullptr && std::fgets(line, sizeof line, f) != nullptr) {
        kb = std::strncmp(line, "VmHWM:", 6) == 0 ? std::strtol(line + 6, nullptr, 10) : kb;
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    return kb;
}

// Reads the watch's events until one satisfies found or the deadline passes.
template <typename Found> bool awaitEvent(Display *dpy, long long deadline, Found found) {
    while (nowNs() < deadline) {
        while (XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (found(ev)) {
                return true;
            }
        }
        pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&pfd, 1, 1);
    }
    return false;
}

} // namespace

std::vector<unsigned> grabWindowRow(unsigned long window, int row, int width) {
    return rowOf(watcher(), window, row, width);
}

StartupRun measureStartup(const std::string &binary, const std::string &blockFile,
                          const std::vector<unsigned> &expectedRow, int row) {
    StartupRun run;
    Display *dpy = watcher();
    drainEvents(dpy);
    long long start = nowNs(), end = start + TIMEOUT_NS;
    pid_t pid = spawn(binary, blockFile);
    Window window = 0;
    if (pid < 0) {
        run.error = "cannot start " + binary;
        return run;
    }
    if (!awaitEvent(dpy, end, [&](const XEvent &ev) {
            window = ev.type == MapNotify ? ev.xmap.window : 0;
            run.toMapMs = (nowNs() - start) / 1e6;
            return window != 0;
        })) {
        run.error = "no window mapped";
    }
    while (window != 0 && rowOf(dpy, window, row, WINDOW_SIZE) != expectedRow && nowNs() < end) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    run.toFrameMs = (nowNs() - start) / 1e6;
    run.peakRssKb = peakRssKb(pid);
    run.ok = window != 0 && nowNs() < end;
    if (window != 0 && !run.ok) {
        run.error = "the first frame never matched the expected pixels";
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    // The server drops the window before the next run starts.
    if (window != 0) {
        awaitEvent(dpy, nowNs() + TIMEOUT_NS, [&](const XEvent &ev) {
            return ev.type == DestroyNotify && ev.xdestroywindow.window == window;
        });
    }
    drainEvents(dpy);
    return run;
}
