// The application shell: block file, banner, menu, modes, keyboard, the scene's reset and
// restart, and the ordinary exit.
#ifndef VINCA_APP_H
#define VINCA_APP_H

#include <cstdio>

const int MENU_EXIT = 0;
const int MENU_MANUAL_MODE = 1;
const int MENU_COLLECTION_MODE = 2;

// Bounds of the manual crane keys, compared strictly before each step.
const float CABLE_MIN = 1.0f;
const float CABLE_MAX = 13.0f;
const float CLAW_MIN = -20.0f;
const float CLAW_MAX = 44.0f;
const float LUFF_MIN = -25.0f;
const float LUFF_MAX = 85.0f;

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
// table first by setting blockCount to 0), and sets the rest pose. Exits with status 1 on
// a colour outside 0..11. Does not close the file.
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

// Starts again on another block file: the idle step removed, the mesh built again if the
// ordinary exit released it, default camera, resetScene, the table emptied and read, and the
// display callback installed again (a page's quitProgram replaces it). No banner; the menu
// and input callbacks stay as start-up set them, and each accepted pick clears the stage
// flags. Called by the page's file chooser (app/page.cpp) and the benchmarks. Ends the
// program with status 1 where start-up would; a file a fatal error left open is closed next
// time.
void restartOn(const char *name);

// Releases the mesh and clears unitCylinder (restartOn reads that as not built), then ends
// the program with status 0; prints nothing.
[[noreturn]] void ordinaryExit();

#endif
