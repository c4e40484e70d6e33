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

struct Child {
    pid_t pid = -1;
};

bool spawn(Child *c, const std::string &binary, const std::string &blockFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(binary.c_str()), const_cast<char *>(blockFile.c_str()),
                    nullptr};
    int r = posix_spawn(&c->pid, binary.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return r == 0;
}

long peakRssKb(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    std::FILE *f = std::fopen(path, "r");
    if (f == nullptr) {
        return 0;
    }
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kb = std::strtol(line + 6, nullptr, 10);
        }
    }
    std::fclose(f);
    return kb;
}

void finish(Display *dpy, Child *c, Window window) {
    if (c->pid > 0) {
        kill(c->pid, SIGKILL);
        waitpid(c->pid, nullptr, 0);
    }
    // Wait until the server has dropped the window, so the next run starts clean.
    long long end = nowNs() + TIMEOUT_NS;
    bool gone = window == 0;
    while (!gone && nowNs() < end) {
        while (XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == DestroyNotify && ev.xdestroywindow.window == window) {
                gone = true;
            }
        }
        if (!gone) {
            pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
            poll(&pfd, 1, 5);
        }
    }
    drainEvents(dpy);
}

// Spawns and waits for the first frame; leaves the child running.
StartupRun startAndWatch(Display *dpy, Child *c, Window *window, const std::string &binary,
                         const std::string &blockFile, const std::vector<unsigned> &expectedRow,
                         int row) {
    StartupRun run;
    drainEvents(dpy);
    long long start = nowNs();
    if (!spawn(c, binary, blockFile)) {
        run.error = "cannot start " + binary;
        return run;
    }
    long long end = start + TIMEOUT_NS;
    *window = 0;
    while (*window == 0) {
        if (nowNs() > end) {
            run.error = "no window mapped";
            return run;
        }
        while (XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify) {
                *window = ev.xmap.window;
                run.toMapMs = (nowNs() - start) / 1e6;
            }
        }
        if (*window == 0) {
            pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
            poll(&pfd, 1, 1);
        }
    }
    while (rowOf(dpy, *window, row, WINDOW_SIZE) != expectedRow) {
        if (nowNs() > end) {
            run.error = "the first frame never matched the expected pixels";
            return run;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    run.toFrameMs = (nowNs() - start) / 1e6;
    run.peakRssKb = peakRssKb(c->pid);
    run.ok = true;
    return run;
}

} // namespace

std::vector<unsigned> grabWindowRow(unsigned long window, int row, int width) {
    Display *dpy = watcher();
    if (dpy == nullptr) {
        return {};
    }
    return rowOf(dpy, window, row, width);
}

StartupRun measureStartup(const std::string &binary, const std::string &blockFile,
                          const std::vector<unsigned> &expectedRow, int row) {
    Display *dpy = watcher();
    if (dpy == nullptr) {
        StartupRun run;
        run.error = "no X display";
        return run;
    }
    Child c;
    Window window = 0;
    StartupRun run = startAndWatch(dpy, &c, &window, binary, blockFile, expectedRow, row);
    finish(dpy, &c, window);
    return run;
}
