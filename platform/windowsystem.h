#pragma once

// On a Wayland session, asks Qt for its X11 backend (through XWayland) while
// an X server can be reached, and for Wayland only when none can: under
// Wayland a window cannot place itself, and minimising is never reported.
// A backend chosen explicitly (QT_QPA_PLATFORM, or Qt's -platform argument)
// stays. Must run before the QApplication is made.
void preferX11OnWayland();
