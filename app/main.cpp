// Entry point: argument check, start-up in its fixed order, then the GLUT loop.
#include "app/app.h"

#include "automation/automation.h"
#include "camera/camera.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

static const char USAGE[] =
    "Usage: vinca BLOCKFILE\n"
    "       vinca --help | -h | --version\n"
    "\n"
    "A port crane loads coloured blocks from a quay onto a ship; the crane's narration\n"
    "goes to standard output.\n"
    "\n"
    "BLOCKFILE holds up to 30 records, each a 'c' and five numbers: x y z (reals, y up),\n"
    "a tag and a colour 0..11. A file named like an option is reached as ./--help.\n"
    "\n";
// After the key lines.
static const char USAGE_END[] =
    "Mouse: left click on a block fetches it; the right button opens the menu.\n"
    "\n"
    "Exit status: 0 on quitting, 1 on a wrong command line or an unusable block file.\n";

// --help and --version answer and return true; anything else is left to start-up.
static bool answerOption(const char *arg) {
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
        std::fputs(USAGE, stdout);
        printKeyHelp(stdout);
        std::fputs(USAGE_END, stdout);
        return true;
    }
    if (std::strcmp(arg, "--version") == 0) {
        std::fputs("vinca " VINCA_VERSION "\n", stdout);
        return true;
    }
    return false;
}

int main(int argc, char **argv) {
    std::setbuf(stdout, nullptr);
    initConsole();

    if (argc == 2 && answerOption(argv[1])) {
        return 0;
    }
    if (argc != 2) {
        for (const char *part : USAGE_TEXT) {
            consolePrint(part);
        }
        return 1;
    }

    std::FILE *file = openBlockFileOrQuit(argv[1]);

    setCameraDefaults();
    printBanner();
    // Before the window, so that input with no end can only keep a process waiting (a pipe
    // that stays open, as cat would) or end it, never freeze a window.
    loadBlockFile(file);
    std::fclose(file);

    // GLUT sees only the program name, so the user's arguments stay ours alone.
    int glutArgc = 1;
    char *glutArgv[] = {argv[0], nullptr};
    glutInit(&glutArgc, glutArgv);

    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(WINDOW_DISPLAY_MODE);
    glutCreateWindow(WINDOW_TITLE);

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    initGlState();
    buildUnitCylinder();
    createMenu();
    glutMouseFunc(mouse);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKey);
    runMainLoop();
    return 0;
}
