// The page's entry points besides main (the page's runtime calls main with the sample file):
// what its file chooser, its on-screen keys and its fitting of the canvas call. Exported by
// name from the page's build.
#include "app/app.h"

#include "platform/platform.h"
#include <cstdio>
#include <emscripten.h>
#include <string>

// A block file the page has written into its file system.
extern "C" EMSCRIPTEN_KEEPALIVE void pageLoadBlockFile(const char *name) {
    restartOn(name);
}

// The most of a chosen file worth copying into the page: what start-up reads, and one byte
// more that tells it there is more.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned long pageBlockFileBytes() {
    return BLOCK_FILE_LIMIT + 1;
}

// An on-screen key: what GLUT hands the keyboard callback for that key. The pointer's
// position is not used.
extern "C" EMSCRIPTEN_KEEPALIVE void pageKey(int key) {
    keyboard(static_cast<unsigned char>(key), 0, 0);
}

// The canvas's drawing buffer, in device pixels, as the page has fitted it to the window:
// GLUT sizes the buffer and hands the program's reshape the new size.
extern "C" EMSCRIPTEN_KEEPALIVE void pageResize(int width, int height) {
    glutReshapeWindow(width, height);
}

// A JSON string of Windows-1252 text.
static std::string jsonString(const std::string &text) {
    std::string utf8(windows1252ToUtf8(text.c_str(), nullptr, 0), '\0');
    windows1252ToUtf8(text.c_str(), &utf8[0], utf8.size() + 1);
    std::string json = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') {
            json += '\\';
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

// The key table, for the on-screen keys: a JSON array of objects
// {"key":"c","group":"crane","does":"cable out","limits":"1..13"} in the table's order; "key"
// is what pageKey takes, "group" "camera", "crane" or "exit", "limits" "" where there are none.
extern "C" EMSCRIPTEN_KEEPALIVE const char *pageKeys() {
    static std::string json;
    if (!json.empty()) {
        return json.c_str();
    }
    static const char *const GROUPS[] = {"camera", "crane", "exit"};
    for (int i = 0; i < KEY_COUNT; i++) {
        const Key &k = KEYS[i];
        json += (i == 0 ? "[" : ",");
        json += "{\"key\":" + jsonString(std::string(1, static_cast<char>(k.key)));
        json += ",\"group\":" + jsonString(GROUPS[k.group]);
        json += ",\"does\":" + jsonString(k.does) +
                ",\"limits\":" + jsonString(keyLimits(k, "..")) + "}";
    }
    json += "]";
    return json.c_str();
}
