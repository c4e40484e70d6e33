// The console on Windows: a console window is given UTF-16, which it shows whatever its code
// page (the OEM one, 850 or 437, would show the Windows-1252 letters as others); pipes and
// files get the same Windows-1252 bytes as on Linux, with no carriage return added.
#include "platform/platform.h"

#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

static HANDLE console = nullptr; // standard output where it is a console window

void initConsole() {
    _setmode(_fileno(stdout), _O_BINARY);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && out != nullptr && GetConsoleMode(out, &mode)) {
        console = out;
    }
}

static void writeToConsole(const char *text, int length) {
    int wide = MultiByteToWideChar(1252, 0, text, length, nullptr, 0);
    if (wide <= 0) {
        return;
    }
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(1252, 0, text, length, &utf16[0], wide);
    DWORD written = 0;
    WriteConsoleW(console, utf16.data(), static_cast<DWORD>(wide), &written, nullptr);
}

void consolePrint(const char *format, ...) {
    std::va_list args;
    va_start(args, format);
    if (console == nullptr) {
        std::vfprintf(stdout, format, args);
    } else {
        std::va_list again;
        va_copy(again, args);
        char small[512];
        int need = std::vsnprintf(small, sizeof small, format, args);
        if (need >= static_cast<int>(sizeof small)) {
            std::string large(static_cast<std::size_t>(need) + 1, '\0');
            std::vsnprintf(&large[0], large.size(), format, again);
            writeToConsole(large.data(), need);
        } else if (need > 0) {
            writeToConsole(small, need);
        }
        va_end(again);
    }
    va_end(args);
}
