// Streams over memory, shared by every platform.
#include "platform/platform.h"

#if !defined(_WIN32)
#include <stdio.h> // fmemopen (POSIX; the browser's C library has it too)
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
    std::FILE *temporary = std::tmpfile();
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
