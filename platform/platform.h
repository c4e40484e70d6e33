// What the program asks of the machine it runs on, and the one place GL, GLU and GLUT are
// included. The build links one file per concern from desktop/ or web/; nothing above this
// line knows which.
#ifndef VINCA_PLATFORM_H
#define VINCA_PLATFORM_H

// glut.h brings gl.h and glu.h with it, each platform's own way.
#if defined(__APPLE__)
#include <GLUT/glut.h>
#else
#include <GL/glut.h>
#endif

#include <cstddef>
#include <cstdio>

// --- console (console.cpp) ---

// Decides once, before the first text, how accented letters go out. Called by start-up.
void initConsole();

// printf for every console text of the program. The format's own bytes are Windows-1252;
// arguments (file names, numbers) are written as they are.
void consolePrint(const char *format, ...);

// Windows-1252 text as UTF-8, for a terminal or a page that reads UTF-8. Writes at most
// size bytes with the terminating null; returns the length the whole text needs.
std::size_t windows1252ToUtf8(const char *text, char *out, std::size_t size);

// --- menu (menu.cpp) ---

struct MenuEntry {
    const char *label; // shown exactly as written
    int value;         // passed to the select function
};

// Builds the pop-up menu on the right button; returns its id.
int createPopupMenu(void (*select)(int), const MenuEntry *entries, int count);

// --- picking (pick.cpp) ---

// True where GL has selection mode (GL_SELECT), as OpenGL 1.1 on a desktop does; a browser's
// GL has none, and the program picks by colours read back instead.
bool hasSelectionMode();

// --- memory streams (memory_stream.cpp) ---

// A read-only stream over size bytes that stay where they are, for the formatted reading
// that the block reader does on files. Null when none can be made.
std::FILE *memoryStream(char *bytes, std::size_t size);

// --- loop (loop.cpp) ---

// Installs (or, with null, removes) the step the automatic operation makes once a frame.
void setIdleStep(void (*step)());

// The step installed, or null: for a driver that runs the loop's body itself.
void (*installedIdleStep())();

// Called once the window and callbacks are set; runs until the program ends.
void runMainLoop();

// Ends the program with status; the ordinary exit and every fatal error come here.
[[noreturn]] void quitProgram(int status);

#endif
