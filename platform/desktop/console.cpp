// The console on a POSIX desktop: standard output, in UTF-8 only when a person reads it on a
// UTF-8 terminal; pipes, files and other locales get the Windows-1252 bytes unchanged.
// Windows has its own (platform/windows/console.cpp).
#include "platform/platform.h"

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <string>
#include <unistd.h>

static bool isTerminal(FILE *stream) {
    return isatty(fileno(stream)) != 0;
}

static bool localeIsUtf8() {
    // Only asked, then put back: the reader's white space and numbers stay the C locale's
    // whatever the user's locale.
    std::setlocale(LC_CTYPE, "");
    const char *codeset = nl_langinfo(CODESET);
    bool utf8 = codeset != nullptr &&
                (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    std::setlocale(LC_CTYPE, "C");
    return utf8;
}

// Started with a standard descriptor closed (`vinca FILE >&-`), the display connection would
// take its number and the narration would be written into the X socket, freezing the window.
// Each closed one gets the null device: the lowest free number is the one closed.
static void openStandardDescriptors() {
    for (int fd = 0; fd <= 2; fd++) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        }
    }
}

static bool utf8Console = false;

void initConsole() {
    openStandardDescriptors();
    utf8Console = isTerminal(stdout) && localeIsUtf8();
}

void consolePrint(const char *format, ...) {
    std::va_list args;
    va_start(args, format);
    if (!utf8Console) {
        std::vfprintf(stdout, format, args);
    } else {
        char small[512];
        std::size_t need = windows1252ToUtf8(format, small, sizeof small);
        if (need < sizeof small) {
            std::vfprintf(stdout, small, args);
        } else {
            std::string large(need + 1, '\0');
            windows1252ToUtf8(format, &large[0], large.size());
            std::vfprintf(stdout, large.c_str(), args);
        }
    }
    va_end(args);
}
