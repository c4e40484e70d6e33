// The pop-up menu in a page: the page shows the entries at the pointer on a right click and
// hands the chosen value back through pageMenuSelect.
#include "platform/platform.h"
#include "platform/web/page.h"

#include <emscripten.h>
#include <string>

static void (*menuHandler)(int) = nullptr;

int createPopupMenu(void (*select)(int), const MenuEntry *entries, int count) {
    menuHandler = select;
    for (int i = 0; i < count; i++) {
        std::string label(windows1252ToUtf8(entries[i].label, nullptr, 0), '\0');
        windows1252ToUtf8(entries[i].label, &label[0], label.size() + 1);
        // The page's callback (platform/web/page.h).
        EM_ASM(
            {
                if (Module['addMenuEntry']) {
                    Module['addMenuEntry'](UTF8ToString($0), $1);
                }
            },
            label.c_str(), entries[i].value);
    }
    return 1;
}

extern "C" EMSCRIPTEN_KEEPALIVE void pageMenuSelect(int value) {
    if (menuHandler != nullptr) {
        menuHandler(value);
    }
}
