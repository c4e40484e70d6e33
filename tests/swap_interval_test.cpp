// The swap interval start-up asks of GLX, in the test window. Xvfb offers no swap control, so
// the extension string and the entry points are stood in for (linked with --wrap).
#include "platform/platform.h"
#include <cstring>
#include <gtest/gtest.h>
#include <string>
// After gtest: Xlib's macros (None, Bool) would rename gtest's own types.
#include <GL/glx.h>

namespace {

const char *offered = nullptr; // the extension string GLX reports
std::string calls;             // each entry point called, with its interval

void swapIntervalExt(Display *display, GLXDrawable drawable, int interval) {
    bool current = display == glXGetCurrentDisplay() && drawable == glXGetCurrentDrawable();
    calls += "EXT " + std::to_string(interval) + (current ? "" : " elsewhere") + ";";
}
int swapIntervalMesa(unsigned int interval) {
    calls += "MESA " + std::to_string(interval) + ";";
    return 0;
}
int swapIntervalSgi(int interval) {
    calls += "SGI " + std::to_string(interval) + ";";
    return 0;
}

} // namespace

// Start-up's loop up to GLUT's own: the window watch and the loop itself are left out.
extern "C" void __wrap_glutMainLoop() {}
extern "C" void __wrap__Z13endWithWindowv() {} // endWithWindow()

extern "C" const char *__wrap_glXQueryExtensionsString(Display *, int) {
    return offered;
}

extern "C" __GLXextFuncPtr __real_glXGetProcAddress(const GLubyte *name);
extern "C" __GLXextFuncPtr __wrap_glXGetProcAddress(const GLubyte *name) {
    const char *n = reinterpret_cast<const char *>(name);
    if (std::strcmp(n, "glXSwapIntervalEXT") == 0) {
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalExt);
    }
    if (std::strcmp(n, "glXSwapIntervalMESA") == 0) {
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalMesa);
    }
    if (std::strcmp(n, "glXSwapIntervalSGI") == 0) {
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalSgi);
    }
    return __real_glXGetProcAddress(name);
}

// One swap per refresh, asked in the window's own context through EXT, else MESA, else SGI,
// in whatever order GLX lists them; names match as whole words only.
TEST(SwapInterval, OneSwapPerRefreshWhereAnExtensionOffersIt) {
    const struct {
        const char *extensions, *calls;
    } cases[] = {
        {"GLX_ARB_multisample GLX_SGI_swap_control GLX_MESA_swap_control GLX_EXT_swap_control",
         "EXT 1;"},
        {"GLX_SGI_swap_control GLX_MESA_swap_control", "MESA 1;"},
        {"GLX_SGI_swap_control", "SGI 1;"},
        {"GLX_EXT_swap_control_tear GLX_MESA_swap_controls XGLX_SGI_swap_control", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        offered = c.extensions;
        calls.clear();
        runMainLoop();
        EXPECT_EQ(calls, c.calls) << c.extensions;
    }
}
