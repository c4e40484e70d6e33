// The window where there is no X11 (Windows, macOS): the platform's own swap interval,
// unverified, as no such machine builds it here. Another program cannot destroy the window
// there (Windows' DestroyWindow works only in the window's own thread; macOS has no such
// call), so there is nothing to watch.
#include "platform/desktop/native_window.h"

#include "platform/platform.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <OpenGL/OpenGL.h>
#endif

void syncSwapsToDisplay() {
#if defined(_WIN32)
    // WGL_EXT_swap_control; the function exists only where the driver offers it.
    typedef BOOL(WINAPI * SwapIntervalExt)(int);
    auto set = reinterpret_cast<SwapIntervalExt>(
        reinterpret_cast<void *>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (set != nullptr) {
        set(1);
    }
#elif defined(__APPLE__)
    CGLContextObj context = CGLGetCurrentContext();
    if (context != nullptr) {
        GLint one = 1;
        CGLSetParameter(context, kCGLCPSwapInterval, &one);
    }
#endif
}

void endWithWindow() {}
