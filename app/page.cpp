// The page's entry points besides main: what its file chooser, its on-screen keys and its
// fitting of the canvas call (platform/web/page.h).
#include "app/app.h"

#include "platform/platform.h"
#include "platform/web/page.h"
#include <cstdio>
#include <emscripten.h>
#include <string>

extern "C" EMSCRIPTEN_KEEPALIVE void pageLoadBlockFile(const char *name) {
    restartOn(name);
}

extern "C" EMSCRIPTEN_KEEPALIVE unsigned long pageBlockFileBytes() {
    return BLOCK_FILE_LIMIT + 1;
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageKey(int key) {
    keyboard(static_cast<unsigned char>(key), 0, 0);
}

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
