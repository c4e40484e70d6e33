// A lost GL context in a page: what the browser gives back is a context with none of the old
// objects and its state at the defaults. The GL emulation's own objects are made again here;
// the program sets its GL state again itself.
#include "platform/platform.h"

#include "platform/web/gl_objects.h"

#include <emscripten.h>

void restoreGlObjects() {
    EM_ASM({
        // The emulation's cached programs and the buffers it streams vertices through.
        GLImmediate.rendererCache = GLImmediate.MapTreeLib.create();
        GLImmediate.currentRenderer = null;
        GLImmediate.lastRenderer = null;
        GLImmediate.lastArrayBuffer = null;
        GLImmediate.lastProgram = null;
        GLImmediate.lastStride = -1;
        GLImmediate.fixedFunctionProgram = 0;
        GL.currProgram = 0;
        GL.currArrayBuffer = 0;
        GL.currElementArrayBuffer = 0;
        GL.generateTempBuffers(true, GL.currentContext);
    });
    forgetKeptMeshes();
    forgetLitProgram();
}
