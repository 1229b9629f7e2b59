#include "platform/windowsystem.h"

#include <QByteArray>
#include <QtGlobal>

void preferX11OnWayland()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
    if (!wayland) return;
    // Qt tries the backends in order: xcb fails without a reachable X server
    // and the next one is used. Without DISPLAY there is nothing to try.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb;wayland");
}
