// The notification-area icon: minimising hides the main window behind it,
// and any activity on it brings the window back.
#include "shell/form1.h"

#include "platform/tray.h"
#include "platform/windowsystem.h"
#include "windows/form3.h"

#include <QResizeEvent>

void Form1::addTrayIcon()
{
    TrayIconRecord.cbSize = 36;
    TrayIconRecord.hWnd = Picture3;
    TrayIconRecord.uID = 1;
    TrayIconRecord.uFlags = 7; // message, icon and tip
    TrayIconRecord.uCallbackMessage = 512;
    TrayIconRecord.hIcon = Picture3Icon;
    TrayIconRecord.szTip = QStringLiteral("Quorvalen2.0");
    m_platform.tray.notifyIcon(Tray::NIM_ADD, TrayIconRecord);
}

void Form1::removeTrayIcon() { m_platform.tray.notifyIcon(Tray::NIM_DELETE, TrayIconRecord); }

void Form1::Form_Resize()
{
    if (!isMinimized() || HiddenToTray) return;
    // Without a notification area there would be no way back: stay minimised
    // with the taskbar button instead.
    if (!m_platform.tray.isAvailable()) return;
    HiddenToTray = true;
    // Hidden once the state change is done: whoever minimised may show the
    // window again right after (QWidget::showMinimized does).
    QMetaObject::invokeMethod(
        this,
        [this] {
            handle([this] {
                // Restored before this step came: the window was never hidden,
            // and the flag must not say it is.
                if (!isMinimized())
                    HiddenToTray = false;
                else if (HiddenToTray)
                    hide();
            });
        },
        Qt::QueuedConnection);
}

void Form1::Picture3_MouseMove(int Button, int, float, float)
{
    if (Button == 1) {
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        show();
        raise();
        activateWindow();
        HiddenToTray = false;
    } else if (Button == 2) {
        box(QStringLiteral("Quorvtalent2.0"));
    }
}

void Form1::bringForward()
{
    handle([this] {
        Picture3_MouseMove(1, 0, 0, 0);
        bringToFront(m_form3 && m_form3->isVisible() ? static_cast<QWidget *>(m_form3.get()) : this);
    });
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) handle([this] { Form_Resize(); });
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    handle([this] { Form_Resize(); });
}
