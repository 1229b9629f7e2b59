#pragma once

#include <QEvent>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

// What the program hands to the notification area to add or remove its icon.
struct NotifyIconData
{
    quint32 cbSize = 0;
    QPointer<QWidget> hWnd; // receives the icon's notifications
    quint32 uID = 0;
    quint32 uFlags = 0; // 1 message, 2 icon, 4 tip
    quint32 uCallbackMessage = 0;
    QIcon hIcon;
    QString szTip;
};

// A notification from the icon, sent to the record's window as its callback
// message: wParam carries the icon's identifier, lParam the kind of event.
class TrayNotifyEvent : public QEvent
{
public:
    static QEvent::Type eventType();
    TrayNotifyEvent(quint32 message, quint32 wParam, quint32 lParam)
        : QEvent(eventType())
        , message(message)
        , wParam(wParam)
        , lParam(lParam)
    { }
    const quint32 message;
    const quint32 wParam;
    const quint32 lParam;
};

class Tray : public QObject
{
    Q_OBJECT
public:
    enum Operation { NIM_ADD = 0, NIM_DELETE = 2 };
    // Kinds of event, as the notification's lParam carries them.
    enum Kind : quint32 { MouseMove = 0x200, LeftDown = 0x201, LeftDouble = 0x203, RightUp = 0x205, MiddleUp = 0x208 };

    // Whether the desktop has a notification area now.
    virtual bool isAvailable() const = 0;
    // Adds or removes the icon the record describes. The result is not looked at.
    virtual bool notifyIcon(Operation operation, const NotifyIconData &record) = 0;

protected:
    // Hands one notification to the record's window.
    static void deliver(const NotifyIconData &record, Kind kind);
};

class QSystemTrayIcon;

// The desktop's notification area, through QSystemTrayIcon.
class SystemTray : public Tray
{
    Q_OBJECT
public:
    SystemTray();
    ~SystemTray() override;
    bool isAvailable() const override;
    bool notifyIcon(Operation operation, const NotifyIconData &record) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSystemTrayIcon *m_icon = nullptr;
    NotifyIconData m_record;
};
