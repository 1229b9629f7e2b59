// The clock bar that stands in for the hidden main window.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QtTest>

class ClockBarTest : public QObject
{
    Q_OBJECT

private slots:
    void createdOnFirstUseAndKeptUntilItsButton()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        QVERIFY(!f.form2Created());
        f.show();
        f.Command8->click();
        QVERIFY(f.form2Created());
        QVERIFY(!f.isVisible());
        QVERIFY(f.form2().isVisible());
        // The main window back another way (the tray icon): the bar stays, and hiding
        // again keeps it, until its own button.
        f.show();
        QVERIFY(f.form2().isVisible());
        f.Command8->click();
        QVERIFY(f.form2().isVisible());
        QVERIFY(!f.isVisible());
        f.form2().Command1->click();
        QVERIFY(f.isVisible());
        QVERIFY(!f.form2().isVisible());
        // The window manager's close does what its button does.
        f.Command8->click();
        QVERIFY(f.form2().close());
        QVERIFY(f.isVisible());
        QVERIFY(!f.form2().isVisible());
    }

    void looksAsDesigned()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        Form2 &bar = f.form2();
        QCOMPARE(bar.geometry(), QRect(0, 0, 566, 24));
        QVERIFY(bar.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY((bar.windowFlags() & Qt::WindowType_Mask) == Qt::Tool); // no taskbar button
        QCOMPARE(bar.palette().color(QPalette::Window), QColor(192, 192, 0));
        QCOMPARE(bar.Command1->text(), QStringLiteral("显示主窗体"));
        QCOMPARE(bar.Command1->geometry(), QRect(248, 0, 97, 25));
        QCOMPARE(bar.Label2->text(), QStringLiteral("Quorvalent 2.0"));
        QCOMPARE(bar.Label1->palette().color(QPalette::WindowText), QColor(128, 0, 128));
        QVERIFY(bar.Label3->text().isEmpty());
        QCOMPARE(bar.Timer1->interval(), 1000);
        QCOMPARE(bar.Command1->palette().color(QPalette::Button), QColor(192, 255, 192));
        QStringList bold, seeThrough;
        for (QWidget *w : bar.findChildren<QWidget *>()) {
            if (w->font().bold()) bold << w->objectName();
            if (qobject_cast<QLabel *>(w) && !w->autoFillBackground()) seeThrough << w->objectName();
        }
        QCOMPARE(bold, (QStringList{"Label1", "Label2"}));
        QCOMPARE(seeThrough, (QStringList{"Label1", "Label2", "Label3"}));
        QCOMPARE(bar.Label2->font().pointSizeF(), 10.5);
    }

    void firstShowingIsEmptyUntilItsFirstTick()
    {
        TestPlatform tp;
        tp.clock.set(14, 30, 0);
        Form1 f(tp.platform());
        f.Command8->click();
        QVERIFY(f.form2().Label1->text().isEmpty());
        tick(f.form2().Timer1);
        QCOMPARE(f.form2().Label1->text(), QStringLiteral("14:30:00"));
        f.form2().Command1->click();
        // Hidden, it keeps ticking, so the next showing is current at once.
        tp.clock.set(14, 31, 5);
        tick(f.form2().Timer1);
        f.Command8->click();
        QCOMPARE(f.form2().Label1->text(), QStringLiteral("14:31:05"));
    }

    void alertCreatesTheBarHidden()
    {
        TestPlatform tp;
        tp.clock.set(14, 29, 59);
        Form1 f(tp.platform());
        typeEntry(f, "14", "30", "00", QString());
        f.Command5->click();
        QVERIFY(!f.form2Created());
        tp.clock.set(14, 30, 0);
        tick(f.Timer1);
        QVERIFY(f.form2Created());
        QVERIFY(!f.form2().isVisible());
        QVERIFY(f.form2().Timer1->isEnabled());
    }
};

QTEST_MAIN(ClockBarTest)
#include "tst_clockbar.moc"
