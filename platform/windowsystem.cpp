#include "platform/windowsystem.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#endif

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

void bringToFront(QWidget *window)
{
    window->raise();
    window->activateWindow();
#if QT_CONFIG(xcb)
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c) return; // not on X11 (the offscreen backend answers without a connection)
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 18, "_NET_ACTIVE_WINDOW"), nullptr);
    if (!atom) return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = atom->atom;
    event.data.data32[0] = 2; // source: a pager
    event.data.data32[1] = XCB_CURRENT_TIME;
    std::free(atom);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char *>(&event));
    xcb_flush(c);
#endif
}

void showWithoutActivating(QWidget *window)
{
    // Qt reads the attribute only when it makes the window; this property it
    // reads at every show of a window it has made.
    QWindow *handle = window->windowHandle();
    if (handle) handle->setProperty("_q_showWithoutActivating", true);
    window->show();
    if (handle) handle->setProperty("_q_showWithoutActivating", QVariant());
}
