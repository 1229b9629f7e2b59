// The real notification-area adapter, on a real X server with a real
// notification area: an Xvfb and trayer of the test's own.
#include "platform/tray.h"
#include "shell/form1.h"
#include "support/fakes.h"

#include <QApplication>
#include <QHelpEvent>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QtTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {

// The window the icon's notifications go to; it keeps the kinds it was sent.
class Receiver : public QWidget
{
public:
    QList<quint32> kinds;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != TrayNotifyEvent::eventType()) return QWidget::event(e);
        const auto *n = static_cast<TrayNotifyEvent *>(e);
        if (n->message == 512 && n->wParam == 1) kinds << n->lParam;
        return true;
    }
};

QWidget *embeddedIcon()
{
    for (QWidget *w : QApplication::allWidgets())
        if (w->inherits("QSystemTrayIconSys") && w->isVisible()) return w;
    return nullptr;
}

QProcess *g_trayer = nullptr;

bool startTrayer()
{
    g_trayer->start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
    return g_trayer->waitForStarted();
}

} // namespace

class SystemTrayTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
#ifdef Q_OS_WIN
        QSKIP("the tests run on the offscreen platform here, which has no notification area");
#endif
        QVERIFY2(g_trayer && g_trayer->state() == QProcess::Running, "Xvfb or trayer did not start");
        SystemTray tray;
        QTRY_VERIFY_WITH_TIMEOUT(tray.isAvailable(), 10000);
    }

    void theProgramsIconRestoresItsWindow()
    {
        TestPlatform tp;
        SystemTray tray;
        Form1 f(Platform{tp.boxes, tp.clock, tp.timers, tp.files, tray, tp.dir.path()});
        f.show();
        QTRY_VERIFY(embeddedIcon());
        // The tip shows when the pointer rests on the icon.
        QWidget *icon = embeddedIcon();
        QHelpEvent tip(QEvent::ToolTip, QPoint(4, 4), icon->mapToGlobal(QPoint(4, 4)));
        QCoreApplication::sendEvent(icon, &tip);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Quorvalen2.0"));
        QToolTip::hideText();
        // It shows the program's picture, not an empty square.
        const QImage shown = icon->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                colours.insert(shown.pixel(x, y));
        QVERIFY2(colours.size() > 8, qPrintable(QString::number(colours.size())));
        f.showMinimized();
        QTRY_VERIFY(!f.isVisible());
        QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
        QVERIFY(embeddedIcon());
        QCoreApplication::sendEvent(embeddedIcon(), &enter);
        QVERIFY(f.isVisible());
        QVERIFY(!f.isMinimized());
        // One icon: a second add while it is there changes nothing.
        Receiver to;
        QVERIFY(!tray.notifyIcon(Tray::NIM_ADD, record(to)));
    }

    void pointerAndButtonsReachTheWindow_data()
    {
        QTest::addColumn<Qt::MouseButton>("button"); // none: the pointer comes over it
        QTest::addColumn<bool>("twice");
        QTest::addColumn<quint32>("kind");
        QTest::newRow("pointer over it") << Qt::NoButton << false << quint32(Tray::MouseMove);
        QTest::newRow("left click") << Qt::LeftButton << false << quint32(Tray::LeftDown);
        QTest::newRow("double-click") << Qt::LeftButton << true << quint32(Tray::LeftDouble);
        QTest::newRow("middle click") << Qt::MiddleButton << false << quint32(Tray::MiddleUp);
        QTest::newRow("right click") << Qt::RightButton << false << quint32(Tray::RightUp);
    }

    void pointerAndButtonsReachTheWindow()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, twice);
        QFETCH(quint32, kind);
        Receiver to;
        SystemTray tray;
        QVERIFY(tray.notifyIcon(Tray::NIM_ADD, record(to)));
        QTRY_VERIFY(embeddedIcon());
        QWidget *icon = embeddedIcon();
        const QPoint at(4, 4);
        QEnterEvent enter(at, at, icon->mapToGlobal(at));
        if (button == Qt::NoButton)
            QCoreApplication::sendEvent(icon, &enter);
        else if (twice)
            QTest::mouseDClick(icon, button, {}, at);
        else
            QTest::mouseClick(icon, button, {}, at);
        QVERIFY(!to.kinds.isEmpty());
        QCOMPARE(to.kinds.last(), kind);
    }

    void onlyItsOwnRecordRemovesTheIcon()
    {
        Receiver to, stranger;
        SystemTray tray;
        QVERIFY(tray.notifyIcon(Tray::NIM_ADD, record(to)));
        QTRY_VERIFY(embeddedIcon());
        NotifyIconData other = record(to);
        other.uID = 2;
        QVERIFY(!tray.notifyIcon(Tray::NIM_DELETE, other));
        QVERIFY(!tray.notifyIcon(Tray::NIM_DELETE, record(stranger)));
        QVERIFY(embeddedIcon());
        QVERIFY(tray.notifyIcon(Tray::NIM_DELETE, record(to)));
        QTRY_VERIFY(!embeddedIcon());
        QVERIFY(!tray.notifyIcon(Tray::NIM_DELETE, record(to)));
    }

    void iconComesWithALateNotificationArea()
    {
        // At log-in the program may start before the panel: the icon waits for
        // the area. The pointer over another window is not over the icon.
        g_trayer->kill();
        g_trayer->waitForFinished();
        Receiver to;
        SystemTray tray;
        QTRY_VERIFY(!tray.isAvailable());
        QVERIFY(tray.notifyIcon(Tray::NIM_ADD, record(to)));
        QWidget other;
        other.show();
        QVERIFY(startTrayer());
        QTRY_VERIFY_WITH_TIMEOUT(embeddedIcon(), 10000);
        QEnterEvent elsewhere(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&other, &elsewhere);
        QVERIFY(to.kinds.isEmpty());
        QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
        QCoreApplication::sendEvent(embeddedIcon(), &enter);
        QCOMPARE(to.kinds, QList<quint32>{Tray::MouseMove});
        // The panel restarted: Qt embeds a new icon widget, watched as well.
        QPointer<QWidget> before = embeddedIcon();
        g_trayer->kill();
        g_trayer->waitForFinished();
        QVERIFY(startTrayer());
        QTRY_VERIFY_WITH_TIMEOUT(!before && embeddedIcon(), 10000);
        QCoreApplication::sendEvent(embeddedIcon(), &enter);
        QCOMPARE(to.kinds, (QList<quint32>{Tray::MouseMove, Tray::MouseMove}));
    }

private:
    NotifyIconData record(Receiver &to)
    {
        QPixmap red(32, 32);
        red.fill(Qt::red);
        NotifyIconData r;
        r.hWnd = &to;
        r.uID = 1;
        r.uFlags = 7;
        r.uCallbackMessage = 512;
        r.hIcon = QIcon(red);
        r.szTip = QStringLiteral("Quorvalen2.0");
        return r;
    }
};

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    // An X server and a notification area of the test's own; no D-Bus, so that
    // Qt embeds the icon in the area (XEmbed), as on a desktop without a
    // StatusNotifier host.
    QProcess xvfb, trayer;
    // Both go with the test, however it ends.
    const auto endWithTest = [] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); };
    xvfb.setChildProcessModifier(endWithTest);
    trayer.setChildProcessModifier(endWithTest);
    xvfb.start(QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
            QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("800x600x24")});
    QByteArray display;
    while (xvfb.waitForReadyRead(10000) && !(display += xvfb.readAllStandardOutput()).endsWith('\n')) { }
    if (!display.trimmed().isEmpty()) {
        qputenv("DISPLAY", ":" + display.trimmed());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("WAYLAND_DISPLAY");
        g_trayer = &trayer;
        startTrayer();
    }
#endif
    int failed = 0;
    {
        QApplication app(argc, argv);
        SystemTrayTest test;
        failed = QTest::qExec(&test, argc, argv);
    }
#ifndef Q_OS_WIN
    trayer.kill();
    trayer.waitForFinished();
    xvfb.terminate();
    xvfb.waitForFinished();
#endif
    return failed;
}

#include "tst_systemtray.moc"
