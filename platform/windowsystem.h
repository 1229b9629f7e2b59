#pragma once

// On a Wayland session, asks Qt for its X11 backend (through XWayland) while
// an X server can be reached, and for Wayland only when none can: under
// Wayland a window cannot place itself, and minimising is never reported.
// A backend chosen explicitly (QT_QPA_PLATFORM, or Qt's -platform argument)
// stays. Must run before the QApplication is made.
void preferX11OnWayland();

class QWidget;

// Raises and activates a window for a request the user made elsewhere (a
// second start). On X11 it asks as a pager does: a window manager that
// refuses the program's own request, its user time being old, grants that.
void bringToFront(QWidget *window);

// Shows a window without taking the keyboard from the window the user works in.
void showWithoutActivating(QWidget *window);
