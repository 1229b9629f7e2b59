// The one-second clock, the single-task watch and its alert.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QtTest>

class WatchTest : public QObject
{
    Q_OBJECT

private slots:
    void clockShowsTheTimeEverySecondUntilStopped()
    {
        Fixture fx;
        QCOMPARE(fx.form.Label3->text(), QStringLiteral("10:00:00")); // start-up filled it
        fx.second();
        QCOMPARE(fx.form.Label3->text(), QStringLiteral("9:08:59"));
        fx.second();
        QCOMPARE(fx.form.Label3->text(), QStringLiteral("9:09:00"));
        fx.form.Command1->click();
        QVERIFY(!fx.form.Timer1->isEnabled());
        fx.second();
        fx.second();
        QCOMPARE(fx.form.Label3->text(), QStringLiteral("9:09:00"));
        fx.form.Command2->click();
        fx.second();
        QCOMPARE(fx.form.Label3->text(), QStringLiteral("9:09:03"));
    }

    void alertsInItsSecond_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("entry"); // hours, minutes, seconds and, if not 开会, the text
        QTest::addColumn<bool>("fires");
        QTest::newRow("as the clock writes it") << "H:mm:ss" << QStringList{"9", "09", "00"} << true;
        QTest::newRow("leading zero the clock lacks") << "H:mm:ss" << QStringList{"09", "09", "00"} << false;
        QTest::newRow("unpadded minutes") << "H:mm:ss" << QStringList{"9", "9", "0"} << false;
        QTest::newRow("hour of 25") << "H:mm:ss" << QStringList{"25", "09", "00"} << false;
        QTest::newRow("letters") << "H:mm:ss" << QStringList{"ab", "09", "00"} << false;
        QTest::newRow("no text: the prompt alone") << "H:mm:ss" << QStringList{"9", "09", "00", ""} << true;
        QTest::newRow("two-digit hours") << "HH:mm:ss" << QStringList{"09", "09", "00"} << true;
        QTest::newRow("two-digit hours, one typed") << "HH:mm:ss" << QStringList{"9", "09", "00"} << false;
        QTest::newRow("with a designator") << "h:mm:ss AP" << QStringList{"9", "09", "00"} << false;
    }

    void alertsInItsSecond()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, entry);
        QFETCH(bool, fires);
        Fixture fx;
        fx.tp.clock.setTimeFormat(format);
        const QString text = entry.value(3, QStringLiteral("开会"));
        fx.start(entry[0], entry[1], entry[2], text);
        fx.second(); // 9:08:59
        QCOMPARE(fx.alerts(), 0);
        fx.second(); // 9:09:00
        QCOMPARE(fx.alerts(), fires ? 1 : 0);
        if (fires) {
            QCOMPARE(fx.tp.boxes.shown.last().text, QStringLiteral("我要提醒您:") + text);
            QCOMPARE(fx.tp.boxes.shown.last().buttons, Buttons::Ok);
            QCOMPARE(fx.tp.boxes.shown.last().title, QStringLiteral("Quorvalent"));
        } else {
            // Never matching leaves it running, silently.
            QCOMPARE(fx.form.Label9->text(), QStringLiteral(" 提醒任务已经开始。"));
        }
        for (int i = 0; i < 5; ++i)
            fx.second();
        QCOMPARE(fx.alerts(), fires ? 1 : 0);
    }

    void idleAfterTheAlert()
    {
        Fixture fx;
        Form1 &f = fx.form;
        f.show();
        f.Command8->click(); // hidden behind the clock bar
        QVERIFY(!f.isVisible());
        fx.start("9", "08", "59", QStringLiteral("开会"));
        f.Label11->setText(QStringLiteral("x"));
        bool lockedWhileOpen = false;
        fx.tp.boxes.answer(Answer::Ok, [&] { lockedWhileOpen = !f.Text1->isEnabled() && f.TaskArmed; });
        fx.second();
        QVERIFY(lockedWhileOpen);
        for (TextBox *t : {f.Text1, f.Text2, f.Text3, f.Text4}) {
            QVERIFY2(t->text().isEmpty(), qPrintable(t->objectName()));
            QVERIFY2(t->isEnabled(), qPrintable(t->objectName()));
        }
        QVERIFY(f.Label8->text().isEmpty());
        QVERIFY(f.Label11->text().isEmpty());
        for (QWidget *w : Controls{f.Command5, f.Command9, f.Command3, f.Command4, f.Check1, f.Check2, f.Command1,
                 f.Command2, f.Command6})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QCOMPARE(f.Label9->text(), QStringLiteral(" 没有任何提醒任务"));
        QVERIFY(f.isVisible());
        QVERIFY(!f.form2().isVisible());
        QVERIFY(!f.TaskArmed);
        // Typing a time afterwards fires nothing until 确定 is pressed again.
        typeEntry(f, "9", "09", "01", QString());
        fx.second();
        fx.second();
        QCOMPARE(fx.alerts(), 1);
        // Started again, the next task of the run alerts as the first did.
        fx.start("9", "09", "02", QStringLiteral("再来"));
        fx.second();
        QCOMPARE(fx.alerts(), 2);
    }

    void stoppedClockMissesItsSecond()
    {
        Fixture fx;
        fx.start("9", "08", "59", QStringLiteral("x"));
        // Running: the stop button is locked, so stop the timer as a stopped clock would be.
        fx.form.Timer1->setEnabled(false);
        fx.second();
        QCOMPARE(fx.alerts(), 0);
        fx.form.Timer1->setEnabled(true);
        fx.second();
        QCOMPARE(fx.alerts(), 0);
        QVERIFY(fx.form.TaskArmed);
        // Still running, it fires when its second comes round again, the next day.
        fx.tp.clock.set(fx.tp.clock.now().addSecs(24 * 3600 - 2));
        fx.second();
        QCOMPARE(fx.alerts(), 1);
    }

    void reentrantTicksNeverAlertTwice()
    {
        Fixture fx;
        fx.start("9", "08", "59", QStringLiteral("开会"));
        QString clockInside;
        // Two more ticks in the target second and one in the next, all inside the open box.
        fx.tp.boxes.answer(Answer::Ok, [&] {
            tick(fx.form.Timer1);
            tick(fx.form.Timer1);
            fx.second();
            clockInside = fx.form.Label3->text();
        });
        fx.second();
        QCOMPARE(fx.alerts(), 1);
        QCOMPARE(clockInside, QStringLiteral("9:09:00"));
        QVERIFY(!fx.form.TaskArmed);
    }

private:
    struct Fixture
    {
        TestPlatform tp;
        Form1 form{tp.platform()};
        Fixture() { tp.clock.set(QDateTime(QDate(2026, 3, 14), QTime(9, 8, 58))); }
        void start(const QString &h, const QString &m, const QString &s, const QString &text)
        {
            typeEntry(form, h, m, s, text);
            form.Command5->click();
        }
        // Steps the clock one second and lets the main window's timer tick.
        void second()
        {
            tp.clock.set(tp.clock.now().addSecs(1));
            tick(form.Timer1);
        }
        int alerts() const
        {
            int n = 0;
            for (const QString &t : tp.boxes.texts())
                n += t.startsWith(QStringLiteral("我要提醒您:"));
            return n;
        }
    };
};

QTEST_MAIN(WatchTest)
#include "tst_watch.moc"
