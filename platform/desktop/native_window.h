// What the desktop loop asks of the window system once the window exists and its GL
// context is current. x11_window.cpp on systems with X11 (not Apple, not Windows),
// native_window.cpp elsewhere; CMakeLists.txt chooses.
#ifndef VINCA_DESKTOP_NATIVE_WINDOW_H
#define VINCA_DESKTOP_NATIVE_WINDOW_H

// Asks the driver for one buffer swap per display refresh, where it offers that; the
// automatic operation makes one step a frame, so this sets its pace. Elsewhere nothing.
void syncSwapsToDisplay();

// Makes the process end, as the window manager's close does (status 0), when another
// program destroys the window; GLUT itself would go on with no window.
void endWithWindow();

#endif
