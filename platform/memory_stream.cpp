// Streams over memory, shared by every platform.
#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <stdio.h> // fmemopen (POSIX; the browser's C library has it too)
#endif

bool temporaryFilePath(const char *folder, unsigned long number, char *out, std::size_t size) {
    std::size_t length = std::strlen(folder);
    int written = -1;
    if (length > 0) { // else the current folder, or the root above it: not the user's
        bool separated = folder[length - 1] == '\\' || folder[length - 1] == '/';
        written =
            std::snprintf(out, size, "%s%svinca-%lx.tmp", folder, separated ? "" : "\\", number);
    }
    if (written >= 0 && static_cast<std::size_t>(written) < size) {
        return true;
    }
    if (size > 0) {
        out[0] = '\0';
    }
    return false;
}

#if defined(_WIN32)
// A new file in the user's temporary folder, read and written in binary (a Ctrl-Z byte ends
// a text-mode stream), that the system deletes when it is closed.
static std::FILE *temporaryFile() {
    char folder[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH) {
        return nullptr;
    }
    unsigned long first = GetCurrentProcessId() * 65536ul + (GetTickCount() & 0xFFFFul);
    for (unsigned long attempt = 0; attempt < 100; attempt++) {
        char path[MAX_PATH + 32];
        if (!temporaryFilePath(folder, first + attempt, path, sizeof path)) {
            return nullptr;
        }
        int fd = _open(path, _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY,
                       _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            std::FILE *file = _fdopen(fd, "w+b");
            if (file == nullptr) {
                _close(fd);
            }
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}
#else
static std::FILE *temporaryFile() {
    return std::tmpfile();
}
#endif

// A memory stream where the C library has one, else a temporary file (Windows; also where
// fmemopen refuses size 0).
std::FILE *memoryStream(char *bytes, std::size_t size) {
#if !defined(_WIN32)
    std::FILE *memory = fmemopen(bytes, size, "r");
    if (memory != nullptr) {
        return memory;
    }
#endif
    std::FILE *temporary = temporaryFile();
    if (temporary == nullptr) {
        return nullptr;
    }
    if (std::fwrite(bytes, 1, size, temporary) != size) {
        std::fclose(temporary);
        return nullptr;
    }
    std::rewind(temporary);
    return temporary;
}
