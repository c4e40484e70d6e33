// The window on X11: the swap interval through GLX, and a watch on the window from a
// second connection, since freeglut ignores the window's destruction.
#include "platform/desktop/native_window.h"

#include "platform/platform.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstring>

// How often the watch reads its connection: the process ends at most this long after
// its window.
const int WATCH_MS = 250;

typedef void (*SwapIntervalExt)(Display *, GLXDrawable, int);
typedef int (*SwapIntervalMesa)(unsigned int);
typedef int (*SwapIntervalSgi)(int);

// True when name is one of the space-separated words of list.
static bool hasExtension(const char *list, const char *name) {
    std::size_t length = std::strlen(name);
    for (const char *at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr;
         at += length) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) {
            return true;
        }
    }
    return false;
}

static void (*address(const char *name))() {
    return glXGetProcAddress(reinterpret_cast<const GLubyte *>(name));
}

void syncSwapsToDisplay() {
    Display *display = glXGetCurrentDisplay();
    GLXDrawable window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0) {
        return;
    }
    const char *extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (hasExtension(extensions, "GLX_EXT_swap_control")) {
        auto set = reinterpret_cast<SwapIntervalExt>(address("glXSwapIntervalEXT"));
        if (set != nullptr) {
            set(display, window, 1);
            return;
        }
    }
    if (hasExtension(extensions, "GLX_MESA_swap_control")) {
        auto set = reinterpret_cast<SwapIntervalMesa>(address("glXSwapIntervalMESA"));
        if (set != nullptr) {
            set(1);
            return;
        }
    }
    if (hasExtension(extensions, "GLX_SGI_swap_control")) {
        auto set = reinterpret_cast<SwapIntervalSgi>(address("glXSwapIntervalSGI"));
        if (set != nullptr) {
            set(1);
        }
    }
}

static Display *watcher = nullptr; // the second connection, open for the process's life
static Window watched = 0;
static bool watchRefused = false; // the window was gone before the watch began
static bool destroyed = false;
static XErrorHandler xlibHandler = nullptr; // the process's handler before ours: Xlib's

static int ignoreError(Display *, XErrorEvent *) {
    return 0;
}

// The window is gone: freeglut's teardown at exit destroys it once more, and Xlib's own
// handler would answer the server's refusal by ending the process with status 1.
[[noreturn]] static void endWithoutWindow() {
    XSetErrorHandler(ignoreError);
    quitProgram(0);
}

// Reads what the watch has received; true once the window has been destroyed.
static bool windowGone() {
    while (!destroyed && XPending(watcher) > 0) {
        XEvent event;
        XNextEvent(watcher, &event);
        destroyed = event.type == DestroyNotify && event.xdestroywindow.window == watched;
    }
    return destroyed;
}

// A frame drawn just as the window goes gets an error from the server, which Xlib's
// handler would turn into status 1; the window's end is told apart by a round trip on the
// watch, which brings every event sent before the error. Such errors are let pass: the
// next reading of the watch ends the process, as exiting here, inside Xlib, can deadlock
// freeglut's teardown on the connection's lock.
static int onXError(Display *display, XErrorEvent *error) {
    if (display == watcher) {
        watchRefused = true; // only the selection is asked of it, and only a window gone fails
        return 0;
    }
    XSync(watcher, False);
    if (windowGone()) {
        return 0;
    }
    return xlibHandler != nullptr ? xlibHandler(display, error) : 0;
}

static void readWatch(int) {
    if (windowGone()) {
        endWithoutWindow();
    }
    glutTimerFunc(WATCH_MS, readWatch, 0);
}

void endWithWindow() {
    Display *display = glXGetCurrentDisplay();
    watched = glXGetCurrentDrawable();
    if (display == nullptr || watched == 0) {
        return;
    }
    watcher = XOpenDisplay(DisplayString(display));
    if (watcher == nullptr) {
        return; // no watch: the program runs as it did without one
    }
    xlibHandler = XSetErrorHandler(onXError);
    XSync(display, False); // the window's creation has reached the server
    XSelectInput(watcher, watched, StructureNotifyMask);
    XSync(watcher, False);
    if (watchRefused) {
        endWithoutWindow();
    }
    glutTimerFunc(WATCH_MS, readWatch, 0);
}
