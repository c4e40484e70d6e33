// The page's entry points besides main: what its file chooser, its on-screen keys and its
// fitting of the canvas call (platform/web/page.h).
#include "app/app.h"

#include "automation/automation.h"
#include "scene/scene.h"

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

extern "C" EMSCRIPTEN_KEEPALIVE const char *pageScene() {
    static std::string json;
    auto colour = [](int block) {
        return isBlockIndex(block) ? colorNames[blockTable[block].color] : "";
    };
    char field[160];
    std::snprintf(field, sizeof field,
                  "{\"manual\":%d,\"mode\":%d,\"modes\":[%d,%d],\"busy\":%d,\"fetching\":\"%s\","
                  "\"carrying\":\"%s\",\"blocks\":[",
                  manualMode, manualMode != 0 ? MENU_MANUAL_MODE : MENU_COLLECTION_MODE,
                  MENU_COLLECTION_MODE, MENU_MANUAL_MODE, readyForOrder == 0 ? 1 : 0,
                  colour(targetBlock), colour(heldBlock));
    json = field;
    for (int i = 0; i < blockCount; i++) {
        if (isWaitingBlock(i)) {
            const Block &b = blockTable[i];
            std::snprintf(
                field, sizeof field,
                "%s{\"index\":%d,\"colour\":\"%s\",\"x\":\"%g\",\"y\":\"%g\",\"z\":\"%g\"}",
                json.back() == '[' ? "" : ",", i, colorNames[b.color], b.x, b.y, b.z);
            json += field;
        }
    }
    json += "]}";
    return json.c_str();
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageOrderBlock(int block) {
    orderBlock(block);
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageContextRestored() {
    restoreGlObjects();
    initGlState(); // its projection the reshape below sets again, as at start-up
    glutReshapeWindow(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
}
