// The page's interface to the program, both ways; web/index.html is the other side.
#ifndef VINCA_WEB_PAGE_H
#define VINCA_WEB_PAGE_H

// Calls in. The page calls each as Module._name, or through Module.ccall where it passes a
// string; each definition is marked EMSCRIPTEN_KEEPALIVE, which exports it (main is
// exported by web/CMakeLists.txt; the page's runtime calls it with the sample file).
extern "C" {

// A block file the page has written into its file system: restartOn (app/page.cpp).
void pageLoadBlockFile(const char *name);

// The most of a chosen file worth copying into the page: what start-up reads, and one byte
// more that tells it there is more.
unsigned long pageBlockFileBytes();

// An on-screen key: what GLUT hands the keyboard callback for that key. The pointer's
// position is not used.
void pageKey(int key);

// The key table as a JSON array, one object per key in the table's order:
// {"key":"c","group":"crane","does":"cable out","limits":"1..13"}. "key" is what pageKey
// takes; "group" is "camera", "crane" or "exit"; "limits" is "" where there are none. The
// build runs it under node (web/page_state.cpp) and writes it into the page, with the
// sample's pageScene, so that the page shows its keys and blocks before the program runs.
const char *pageKeys();

// The canvas's drawing buffer, in device pixels, as the page has fitted it to the window:
// GLUT sizes the buffer and hands the program's reshape the new size.
void pageResize(int width, int height);

// A menu entry chosen: its value, handed to the program's menu callback
// (platform/web/menu.cpp).
void pageMenuSelect(int value);

// The scene as the page shows it, as JSON, valid until the next call: the mode ("manual"),
// the menu entries' values that choose the modes ("modes") and the current one ("mode"),
// whether the crane is busy, the colours of the block it fetches and of the one it carries
// ("" for none), and the blocks waiting on the quay in table order, each with its index for
// pageOrderBlock, its colour's name and its position as the narration prints it:
// {"manual":0,"mode":2,"modes":[2,1],"busy":0,"fetching":"","carrying":"","blocks":
// [{"index":0,"colour":"yellow","x":"-5","y":"0","z":"3"},...]}.
const char *pageScene();

// An order for a block from the page's list: what a click that hits it does (orderBlock).
void pageOrderBlock(int block);

// The browser gave back the GL context it lost: the platform's GL objects are built again,
// start-up's GL state set again and the frame drawn again at the canvas's size; the scene
// is as it was (app/page.cpp, platform/web/context.cpp).
void pageContextRestored();
}

// Calls out: functions the page sets on Module before the program starts. Each call is
// skipped where the page has not set the function.
//   Module.narrate(text)               a console text, as UTF-8 (console.cpp); without it
//                                      the text goes to standard output
//   Module.addMenuEntry(label, value)  one menu entry, top to bottom, at start-up (menu.cpp);
//                                      pageMenuSelect(value) when it is chosen
//   Module.onQuit(status)              the program has quit with status (loop.cpp); the page
//                                      may start it again with pageLoadBlockFile

#endif
