// What the program asks of the machine it runs on, and the one place GL, GLU and GLUT are
// included. The build links console, menu, pick and loop from desktop/ or web/ (and on a
// desktop its window file); utf8.cpp and memory_stream.cpp serve both. Nothing above this
// line knows which, and nothing here includes the program.
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

// --- console (console.cpp; windows1252ToUtf8 in utf8.cpp) ---

// Decides once, before the first text, how accented letters go out, and makes standard output
// carry the program's bytes as they are (no descriptor 0..2 left closed for another file to
// take; no carriage returns added on Windows). Called first by start-up.
void initConsole();

// printf for every console text of the program (but --help and --version, plain ASCII).
// The format's own bytes are Windows-1252; arguments (file names, numbers) are written as
// they are.
void consolePrint(const char *format, ...);

// Windows-1252 text as UTF-8, for a terminal or a page that reads UTF-8. Writes at most
// size bytes with the terminating null; returns the length the whole text needs.
std::size_t windows1252ToUtf8(const char *text, char *out, std::size_t size);

// --- menu (menu.cpp) ---

struct MenuEntry {
    const char *label; // shown exactly as written
    int value;         // passed to the select function
};

// Builds the pop-up menu on the right button; returns its id (GLUT's on a desktop, 1 in a
// page, which has one menu).
int createPopupMenu(void (*select)(int), const MenuEntry *entries, int count);

// --- picking (pick.cpp) ---

// True where GL has selection mode (GL_SELECT), as OpenGL 1.1 on a desktop does; a browser's
// GL has none, and the program picks by colours read back instead.
bool hasSelectionMode();

// --- memory streams (memory_stream.cpp) ---

// A read-only stream over size bytes that stay where they are, for the formatted reading
// that the block reader does on files. Null when none can be made.
std::FILE *memoryStream(char *bytes, std::size_t size);

// Where the memory stream's temporary file goes on Windows, whose C library's tmpfile() puts
// it in the drive's root, writable only by an administrator: in folder (the user's temporary
// folder, as the system names it, with or without its final separator), named by number.
// False, and an empty out, for an empty folder or a path longer than size - 1.
bool temporaryFilePath(const char *folder, unsigned long number, char *out, std::size_t size);

// --- lines (lines.cpp) ---

// Makes count line vertices (GL_LINES: count is even) drawable under the current modelview
// and projection, in place, and returns how many are left. Each vertex is stride floats with
// its position at float positionAt. The desktop's GL clips lines itself and nothing changes;
// the page's CPU renderer drops a whole line with an end behind the eye, so there each line
// is cut at the near plane first.
int prepareLines(float *vertices, int count, int stride, int positionAt);

// --- shading (shading.cpp) ---

// Called before each draw of the program's shapes. The desktop's GL lights them itself; the
// page draws them, while lighting is on, with a vertex program of its own, written for the
// lights and materials the program sets (two directional lights, no specular material): the
// GL emulation's generated one computes much more per vertex, on the CPU there.
void chooseShading();

// --- meshes kept on the GL's side (mesh_arrays.cpp) ---

// What GL is to draw a mesh from, where its arrays do not change while it lives.
struct MeshArrays {
    const void *vertices; // what glVertexPointer and glNormalPointer offset from
    const void *indices;  // what glDrawElements reads
    int indexCount;       // how many of them to draw
};

// Binds what an indexed mesh of triangles is drawn from and says where its arrays are to GL:
// vertexCount vertices of stride floats, the position at float positionAt, and indexCount
// 16-bit indices. On the desktop (OpenGL 1.1) they stay client arrays, drawn whole; in a page,
// where every draw from client arrays copies them to the GPU process again, they go into
// buffer objects on first use, without the triangles of no area, which draw nothing and
// which the CPU renderer would set up all the same; and a mesh that lies wholly outside the
// view there has no indices to draw (indexCount 0). unbindMeshArrays() after the draw;
// forgetMeshArrays(vertices) before the arrays are freed.
MeshArrays bindMeshArrays(const float *vertices, int vertexCount, int stride, int positionAt,
                          const unsigned short *indices, int indexCount);
void unbindMeshArrays();
void forgetMeshArrays(const float *vertices);

// --- a lost GL context (page only: context.cpp) ---

// After the browser gives back a GL context it lost: whatever the platform kept in GL (the
// meshes' buffers, the lit program, the GL emulation's own objects) is built again at its
// next use. The program sets its GL state again itself.
void restoreGlObjects();

// --- loop (loop.cpp) ---

// Installs (or, with null, removes) the step the automatic operation makes once a frame.
void setIdleStep(void (*step)());

// The step installed, or null: for a driver that runs the loop's body itself.
void (*installedIdleStep())();

// Called once the window and callbacks are set; runs until the program ends.
void runMainLoop();

// Ends the program with status and does not return; the ordinary exit and every fatal error
// after the argument check come here. A page lives on: the idle step is removed, an empty
// display callback installed, the page told, and the stack left without unwinding, so state
// and open files remain and the page must stop passing input until the program restarts.
[[noreturn]] void quitProgram(int status);

#endif
