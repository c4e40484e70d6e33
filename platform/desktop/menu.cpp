// The pop-up menu on a desktop: GLUT's own, on the right button.
#include "platform/platform.h"

int createPopupMenu(void (*select)(int), const MenuEntry *entries, int count) {
    int id = glutCreateMenu(select);
    for (int i = 0; i < count; i++) {
        glutAddMenuEntry(entries[i].label, entries[i].value);
    }
    glutAttachMenu(GLUT_RIGHT_BUTTON);
    return id;
}
