// Windows-1252 to UTF-8, shared by every console.
#include "platform/platform.h"

// Code points of 0x80..0x9F, where Windows-1252 differs from Latin-1; 0 marks a hole.
static const unsigned short HIGH_CONTROLS[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::size_t windows1252ToUtf8(const char *text, char *out, std::size_t size) {
    std::size_t n = 0;
    auto put = [&](unsigned int byte) {
        if (n + 1 < size) {
            out[n] = static_cast<char>(byte);
        }
        n++;
    };
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; p++) {
        unsigned int c = *p;
        if (c >= 0x80 && c < 0xA0) {
            c = HIGH_CONTROLS[c - 0x80] != 0 ? HIGH_CONTROLS[c - 0x80] : 0xFFFD;
        }
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
        } else {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    if (size > 0) {
        out[n < size ? n : size - 1] = '\0';
    }
    return n;
}
