// The notification-area icon and hiding the minimised main window behind it.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QtTest>

class TrayTest : public QObject
{
    Q_OBJECT

private slots:
    void minimisedHiddenAndAnyActivityRestores_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("click") << int(Tray::LeftDown);
        QTest::newRow("double-click") << int(Tray::LeftDouble);
        QTest::newRow("middle click") << int(Tray::MiddleUp);
        QTest::newRow("context request") << int(Tray::RightUp);
    }

    void minimisedHiddenAndAnyActivityRestores()
    {
        QFETCH(int, kind);
        Fixture fx;
        fx.minimise();
        QVERIFY(fx.form.HiddenToTray);
        QVERIFY(!fx.form.isVisible());
        QVERIFY(fx.form.isMinimized());
        fx.tp.tray.activity(Tray::Kind(kind));
        QVERIFY(fx.form.isVisible());
        QVERIFY(!fx.form.isMinimized());
        QVERIFY(!fx.form.HiddenToTray);
        QVERIFY(fx.tp.boxes.shown.isEmpty());
        // Minimising again hides it again.
        fx.minimise();
        QVERIFY(!fx.form.isVisible());
    }

    void restoresWhateverElseIsOpen()
    {
        Fixture fx;
        fx.form.Command8->click();
        fx.tp.tray.activity();
        QVERIFY(fx.form.isVisible());
        QVERIFY(fx.form.form2().isVisible()); // the bar stays open
        // Behind the about window it comes back disabled.
        fx.form.Form_DblClick();
        fx.form.hide();
        fx.tp.tray.activity();
        QVERIFY(fx.form.isVisible());
        QVERIFY(!fx.form.isEnabled());
    }

    void restoreThroughTheClockBarKeepsTheFlag()
    {
        Fixture fx;
        fx.form.Command8->click();
        fx.form.show();
        fx.minimise();
        QVERIFY(fx.form.HiddenToTray);
        // The bar's button shows the window minimised; the flag stays.
        fx.form.form2().Command1->click();
        QVERIFY(fx.form.isVisible());
        QVERIFY(fx.form.HiddenToTray);
        // Minimised again, it is not hidden until the icon has cleared the flag.
        fx.form.showNormal();
        fx.minimise();
        QVERIFY(fx.form.isVisible());
        fx.tp.tray.activity();
        QVERIFY(!fx.form.HiddenToTray);
        fx.minimise();
        QVERIFY(!fx.form.isVisible());
    }

    void restoredBeforeItWasHiddenMinimisesAgain()
    {
        // Restored at once, before the deferred hide: the flag follows the window.
        Fixture fx;
        fx.form.setWindowState(Qt::WindowMinimized);
        fx.form.setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!fx.form.HiddenToTray);
        QVERIFY(fx.form.isVisible());
        fx.minimise();
        QVERIFY(!fx.form.isVisible());
        QVERIFY(fx.form.HiddenToTray);
    }

    void withoutANotificationAreaNothingIsHidden()
    {
        Fixture fx;
        fx.tp.tray.available = false;
        fx.minimise();
        QVERIFY(fx.form.isVisible());
        QVERIFY(!fx.form.HiddenToTray);
        // A notification area that turns up later brings the usual behaviour.
        fx.form.showNormal();
        fx.tp.tray.available = true;
        fx.minimise();
        QVERIFY(!fx.form.isVisible());
        QVERIFY(fx.form.HiddenToTray);
    }

private:
    struct Fixture
    {
        TestPlatform tp;
        Form1 form{tp.platform()};
        Fixture()
        {
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
        }
        void minimise()
        {
            form.showMinimized();
            QCoreApplication::processEvents();
        }
    };
};

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
