#include "platform/tray.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

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

SystemTray::~SystemTray() { delete m_icon; }

bool SystemTray::isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool SystemTray::notifyIcon(Operation operation, const NotifyIconData &record)
{
    if (operation == NIM_DELETE) {
        if (!m_icon || record.hWnd != m_record.hWnd || record.uID != m_record.uID) return false;
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
        switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            deliver(m_record, LeftDouble);
            break;
        case QSystemTrayIcon::MiddleClick:
            deliver(m_record, MiddleUp);
            break;
        case QSystemTrayIcon::Context:
            deliver(m_record, RightUp);
            break;
        default:
            deliver(m_record, LeftDown);
            break;
        }
    });
    // Shown even without a notification area: the icon comes up once one appears.
    m_icon->show();
    return true;
}
