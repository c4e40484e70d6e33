// The application shell: block file, banner, menu, modes, keyboard, the scene's reset and
// restart, and the ordinary exit.
#ifndef VINCA_APP_H
#define VINCA_APP_H

#include "camera/camera.h"
#include "common/common.h"

#include "platform/platform.h"
#include <cstdio>
#include <string>

const char WINDOW_TITLE[] = "Tavrel. CAD. Vinca de puerto.";
// The window's framebuffer: colour, double-buffered, with depth.
const unsigned int WINDOW_DISPLAY_MODE = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;

const int MENU_EXIT = 0;
const int MENU_MANUAL_MODE = 1;
const int MENU_COLLECTION_MODE = 2;

// The pop-up menu, top to bottom.
const MenuEntry MENU_ENTRIES[] = {
    {"Exit", MENU_EXIT},
    {"Modo recogida de bloques", MENU_COLLECTION_MODE},
    {"Modo movimiento manual de vinca", MENU_MANUAL_MODE},
};
const int MENU_ENTRY_COUNT = sizeof MENU_ENTRIES / sizeof MENU_ENTRIES[0];

// Bounds of the manual crane keys, compared strictly before each step.
const float CABLE_MIN = 1.0f;
const float CABLE_MAX = 13.0f;
const float CLAW_MIN = -20.0f;
const float CLAW_MAX = 44.0f;
const float LUFF_MIN = -25.0f;
const float LUFF_MAX = 85.0f;

enum KeyGroup { KEY_CAMERA, KEY_CRANE, KEY_EXIT };

// One key of the keyboard: the dispatch, --help's key lines, the page's on-screen keys and
// the documentation's key tables all come from KEYS.
struct Key {
    unsigned char key; // as the keyboard callback receives it
    KeyGroup group;
    const char *does; // a few words, as an on-screen key shows them
    const char *help; // starts a key line of --help; null where the line above goes on
    // Camera keys: the move, and the arrow that acts as the key (GLUT's code, X's name).
    CameraMove move;
    int arrow;
    const char *arrowName;
    // Crane keys, in manual mode only: the joint moves by step while the value before the
    // step lies strictly inside low..high (the end it moves toward); no bounds for the slew.
    float CranePose::*joint;
    float step;
    bool bounded;
    float low, high;
};

extern const Key KEYS[];
extern const int KEY_COUNT;

// The entry for key, or null.
const Key *findKey(unsigned char key);

// What a key does to the camera: CAMERA_STILL for any key that is not a camera key.
CameraMove cameraMoveOf(unsigned char key);

// "Escape" or the key's character.
std::string keyName(const Key &key);

// A crane key's bounds as low, to and high ("1..13" with ".."); "" for a key without bounds.
std::string keyLimits(const Key &key, const char *to);

// --help's key lines: "Keys:  " and the keys of each line, then what they do.
void printKeyHelp(std::FILE *out);

// GLUT special-key callback: the arrows act as their camera keys; other keys do nothing.
void specialKey(int key, int x, int y);

extern int menuId; // from createPopupMenu; kept, not used again

// Console texts that scripts match byte for byte, misspellings included ("Foramto",
// "constucci\xf3n", "camara", "Boton", "raton"): kept as they have always been printed.
// A text given in parts is printed one call per part.
const char *const USAGE_TEXT[] = {"\nFormato de llamada incorrecto...",
                                  "\nForamto correcto: vinca <nombre_fichero_entrada> \n"};
const char *const BANNER_TEXT[] = {
    "\n\n Proyecto Dise\xf1o y constucci\xf3n de una vinca de puerto",
    "\n",
    "\n Teclas de cursor, 8,2,4,6,o,l,u,j,h,k mueven la camara",
    "\n Boton derecho del raton activa el menu",
    "\n Escape o q : Salir",
    "\n\n\n"};
const char RELOCATED_TEXT[] =
    "\nHab\xed"
    "a un bloque situado sobre el eje Z,\n que ser\xe1 recolocado con Z = "
    "0.5 para evitar problemas internos";
const char REFUSED_KEY_TEXT[] = "\nTecla no definida para modo recogida de bloques";
// "arbir" is how the message has always read; the file's name and a newline follow it.
const char OPEN_ERROR_TEXT[] = "\nError al arbir fichero ";
// ".. " and its trailing space are how the message has always ended.
const char READ_ERROR_TEXT[] = "\nError al leer fichero de datos.. ";
const char COLOUR_ERROR_TEXT[] =
    "\nEl color de la caja tiene que ser un entero perteneciente a [0,11]";

// Opens the block file read-only. Returns null for a path that cannot be read,
// a directory included.
std::FILE *openBlockFile(const char *name);

// openBlockFile for start-up and the page's restart: prints the open error and ends with
// status 1 where openBlockFile gives null.
std::FILE *openBlockFileOrQuit(const char *name);

// Rewinds file, appends its records to blockTable from blockCount on (callers empty the
// table first by setting blockCount to 0) until the table is full, and sets the rest pose.
// Exits with status 1 on a colour outside 0..11. Does not close the file.
void readBlockFile(std::FILE *file);

// Most bytes of a block file that start-up and restartOn read. Thirty records take a few hundred;
// more than this that has not filled the table is no block file (/dev/zero, a disk image).
const unsigned long BLOCK_FILE_LIMIT = 1ul << 20;

// The reading of start-up and restartOn: at most BLOCK_FILE_LIMIT bytes of file (waiting, on
// a pipe, for them or for its end), given to readBlockFile with the same result as on the file
// itself, so appended from blockCount on. Ends the program with status 1 and a message when
// the reader would go on past them, when no stream can be made over them and on a bad colour.
// Does not close file.
void loadBlockFile(std::FILE *file);

void printBanner();

// The fixed GL state of every frame, in start-up's order: projection and view from the
// camera (set before), GL_AUTO_NORMAL and GL_NORMALIZE, lighting with lights 0 and 1, depth
// testing. The lights' positions and colours are the display pass's. Called once the window
// exists, by start-up, the benchmarks and the tests, and again for a page whose GL context
// the browser gave back.
void initGlState();

// Called once at start-up, after the window exists.
void createMenu();

// The menu's callback: GLUT's on a desktop; the page's menu calls it through the platform.
void menuSelect(int value);

// GLUT keyboard callback: exit keys, crane keys in manual mode, the rest to the camera.
void keyboard(unsigned char key, int x, int y);

// The scene as the block-collection entry leaves it: crane at rest and free, every loaded
// block back on the quay, block-collection mode, a redisplay asked for. The camera, the
// stage flags and a running idle step are left as they are.
void resetScene();

// Starts again on another block file, in this order: the file opened, the idle step removed,
// the mesh built again if the ordinary exit released it, default camera, the table emptied,
// the display callback installed again (a page's quitProgram replaces it), resetScene (with
// the one redisplay asked for) and the file read. No banner; the menu and input callbacks
// stay as start-up set them, and each accepted pick clears the stage flags. Called by the
// page's file chooser (app/page.cpp) and the benchmarks. Ends the program with status 1 where
// start-up would; a file a fatal error left open is closed next time.
void restartOn(const char *name);

// Releases the mesh and clears unitCylinder (restartOn reads that as not built), then ends
// the program with status 0; prints nothing.
[[noreturn]] void ordinaryExit();

#endif
