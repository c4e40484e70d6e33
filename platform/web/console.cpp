// The console in a page: each text goes straight to the narration panel as UTF-8. Standard
// output there is flushed only at a newline, and every narration message begins with one.
#include "platform/platform.h"

#include <cstdarg>
#include <cstdio>
#include <emscripten.h>
#include <string>

void initConsole() {}

void consolePrint(const char *format, ...) {
    std::string utf8Format(windows1252ToUtf8(format, nullptr, 0), '\0');
    windows1252ToUtf8(format, &utf8Format[0], utf8Format.size() + 1);

    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, utf8Format.c_str(), args);
    va_end(args);
    std::string text(length > 0 ? length : 0, '\0');
    std::vsnprintf(&text[0], text.size() + 1, utf8Format.c_str(), again);
    va_end(again);

    // The page's callback (platform/web/page.h).
    EM_ASM(
        {
            var text = UTF8ToString($0);
            if (Module['narrate']) {
                Module['narrate'](text);
            } else {
                out(text);
            }
        },
        text.c_str());
}
