// Entry point: argument check, start-up in its fixed order, then the GLUT loop.
#include "app/app.h"

#include "automation/automation.h"
#include "camera/camera.h"
#include "geometry/mesh.h"
#include "scene/scene.h"

#include <GL/glut.h>
#include <cstdlib>

int main(int argc, char **argv) {
    std::setbuf(stdout, nullptr);

    if (argc != 2) {
        std::printf("\nFormato de llamada incorrecto...");
        std::printf("\nForamto correcto: vinca <nombre_fichero_entrada> \n");
        return 1;
    }

    std::FILE *file = openBlockFile(argv[1]);
    if (file == nullptr) {
        std::printf("\nError al arbir fichero %s\n", argv[1]);
        return 1;
    }

    setCameraDefaults();
    printBanner();

    // GLUT sees only the program name, so the user's arguments stay ours alone.
    int glutArgc = 1;
    char *glutArgv[] = {argv[0], nullptr};
    glutInit(&glutArgc, glutArgv);

    glutInitWindowPosition(0, 0);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Tavrel. CAD. Vinca de puerto.");

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    initProjection();
    buildUnitCylinder();
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    readBlockFile(file);
    createMenu();
    std::fclose(file);
    glutMouseFunc(mouse);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKey);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
    glutMainLoop();
    return 0;
}
