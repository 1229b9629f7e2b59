#include "platform/tray.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QWidget>

QEvent::Type TrayNotifyEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void Tray::deliver(const NotifyIconData &record, Kind kind)
{
    if (!record.hWnd || !(record.uFlags & 1)) return;
    TrayNotifyEvent event(record.uCallbackMessage, record.uID, kind);
    QCoreApplication::sendEvent(record.hWnd, &event);
}

SystemTray::SystemTray() = default;

SystemTray::~SystemTray()
{
    qApp->removeEventFilter(this);
    delete m_icon;
}

bool SystemTray::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool SystemTray::notifyIcon(Operation operation, const NotifyIconData &record)
{
    if (operation == NIM_DELETE) {
        if (!m_icon || record.hWnd != m_record.hWnd || record.uID != m_record.uID) return false;
        qApp->removeEventFilter(this);
        m_icon->hide();
        delete m_icon;
        m_icon = nullptr;
        return true;
    }
    if (m_icon) return false;
    m_record = record;
    m_icon = new QSystemTrayIcon;
    if (record.uFlags & 2) m_icon->setIcon(record.hIcon);
    if (record.uFlags & 4) m_icon->setToolTip(record.szTip);
    // Qt reports clicks, double-clicks, middle clicks and context requests;
    // each reaches the window as a notification of its kind.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        deliver(m_record,
            reason == QSystemTrayIcon::DoubleClick       ? LeftDouble
                : reason == QSystemTrayIcon::MiddleClick ? MiddleUp
                : reason == QSystemTrayIcon::Context     ? RightUp
                                                         : LeftDown);
    });
    // Qt reports no hovering, so the pointer is watched on the embedded icon
    // itself. That widget comes up with the icon, or later, when a notification
    // area appears, and Qt makes a new one whenever the area changes (a panel
    // restarted): so the application is watched as long as the icon is there.
    qApp->installEventFilter(this);
    // Shown even without a notification area: the icon comes up once one appears.
    m_icon->show();
    return true;
}

bool SystemTray::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool moved
        = type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::HoverEnter || type == QEvent::HoverMove;
    // On X11 without a StatusNotifier host, Qt embeds the icon as a widget of its
    // own (XEmbed): the only place where the pointer's movements over it arrive.
    if (moved && watched->isWidgetType() && watched->inherits("QSystemTrayIconSys")) deliver(m_record, MouseMove);
    return Tray::eventFilter(watched, event);
}
