// Start-up in its order, and the guarded ways out of the program.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QtTest>

namespace {

// Saved first, then the icon removed: the order of the close box and of a session's end.
const QStringList savedThenRemoved{
    "write Task.sts", "write Time.stt", "tray delete", "profile write Left", "profile write Top"};

struct Fixture
{
    TestPlatform tp;
    Form1 form{tp.platform()};
    QSignalSpy ended{&form, &Form1::ended};
    Fixture()
    {
        form.show();
        form.List1->addItem("14:30:00");
        form.List2->addItem(QStringLiteral("时提醒您：开会"));
        tp.log.clear();
    }
    void startSingleTask()
    {
        typeEntry(form, "23", "59", "59", QString());
        form.Command5->click();
    }
    // Runs one exit path: the button, or the window's close box.
    bool exit(bool viaCloseBox)
    {
        if (!viaCloseBox) {
            form.Command7->click();
            return ended.count() > 0;
        }
        return form.close();
    }
};

enum Ending { ExitButton, CloseBox, SessionEnd };

} // namespace

class LifecycleTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpRunsInOrder()
    {
        TestPlatform tp;
        tp.clock.set(QDateTime(QDate(2004, 12, 25), QTime(7, 5, 9)));
        Form1 f(tp.platform());
        QCOMPARE(tp.log,
            (QStringList{"read Task.sts", "read Time.stt", "tray add", "profile read Left", "profile read Top"}));
        QCOMPARE(f.Label3->text(), QStringLiteral("7:05:09"));
        QVERIFY(f.Check2->isChecked());
        QVERIFY(!f.Check1->isChecked());
        QCOMPARE(f.outerHeight(), 6810.f);
        QVERIFY(!f.HiddenToTray);
        // The holiday test comes last.
        QVERIFY(f.form4());
        QVERIFY(!f.isVisible());
    }

    // Refused while a single task runs, else asked; either way the program
    // stays as it was.
    void stayingAfterTheFirstBox_data()
    {
        QTest::addColumn<bool>("viaCloseBox");
        QTest::addColumn<QString>("status"); // empty: a single task really runs
        QTest::addColumn<bool>("refused");
        for (bool viaCloseBox : {false, true}) {
            const char *path = viaCloseBox ? "close box" : "exit button";
            QTest::addRow("%s, single task running", path) << viaCloseBox << QString() << true;
            QTest::addRow("%s, nothing running", path) << viaCloseBox << QStringLiteral("没有任何提醒任务") << false;
            // Statuses that only look like a running task.
            QTest::addRow("%s, started without blank", path)
                << viaCloseBox << QStringLiteral("提醒任务已经开始。") << false;
            QTest::addRow("%s, other status", path) << viaCloseBox << QStringLiteral(" 没有提醒任务") << false;
        }
    }
    void stayingAfterTheFirstBox()
    {
        QFETCH(bool, viaCloseBox);
        QFETCH(QString, status);
        QFETCH(bool, refused);
        Fixture fx;
        if (status.isEmpty())
            fx.startSingleTask();
        else
            fx.form.Label9->setText(status);
        fx.tp.boxes.shown.clear();
        fx.tp.boxes.answer(Answer::Cancel);
        QVERIFY(!fx.exit(viaCloseBox));
        QCOMPARE(fx.tp.boxes.texts(),
            QStringList{refused ? QStringLiteral("请先取消目前正在运行的任务") : QStringLiteral("确定退出吗?")});
        QCOMPARE(fx.tp.boxes.shown[0].buttons, refused ? Buttons::Ok : Buttons::OkCancel);
        QCOMPARE(fx.tp.boxes.shown[0].title, QStringLiteral("Quorvalent"));
        QVERIFY(fx.tp.log.isEmpty()); // nothing saved, the icon stays
        QVERIFY(fx.form.isVisible());
        QCOMPARE(fx.form.List1->count(), 1);
        QVERIFY(fx.form.Timer1->isEnabled());
        QCOMPARE(fx.ended.count(), 0);
        QVERIFY(!fx.form.hasEnded());
        QVERIFY(!QFile::exists(fx.tp.path("Time.stt")));
    }

    void endings_data()
    {
        QTest::addColumn<int>("ending");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("exit button") << int(ExitButton)
                                     << QStringList{"tray delete", "write Task.sts", "write Time.stt",
                                            "profile write Left", "profile write Top"};
        QTest::newRow("close box") << int(CloseBox) << savedThenRemoved;
        // Even with a single task running: nothing may be lost at log-out.
        QTest::newRow("session end") << int(SessionEnd) << savedThenRemoved;
    }
    void endings()
    {
        QFETCH(int, ending);
        Fixture fx;
        fx.form.Command8->click(); // the clock bar is up
        fx.form.show();
        fx.form.move(30, 45);
        if (ending == SessionEnd) {
            fx.startSingleTask();
            fx.tp.boxes.shown.clear();
            fx.form.endSession();
        } else {
            QVERIFY(fx.exit(ending == CloseBox));
        }
        QTEST(fx.tp.log, "log");
        QCOMPARE(fx.tp.boxes.shown.size(), ending == SessionEnd ? 0 : 1);
        QCOMPARE(fx.ended.count(), 1);
        QVERIFY(fx.form.hasEnded());
        QVERIFY(!fx.form.isVisible());
        QVERIFY(!fx.form.form2().isVisible());
        QVERIFY(!fx.form.Timer1->isEnabled());
        QVERIFY(!fx.form.form2().Timer1->isEnabled());
        QVERIFY(QFile::exists(fx.tp.path("Time.stt")));
        QVERIFY(QFile::exists(fx.tp.path("Quorvalent.ini")));
        fx.form.endSession();
        QCOMPARE(fx.ended.count(), 1);
        Form1 next(fx.tp.platform());
        QCOMPARE(next.List1->item(0)->text(), QStringLiteral("14:30:00"));
        QCOMPARE(next.pos(), QPoint(30, 45));
    }

    void failedSaveAsksWhetherToExitAnyway_data()
    {
        QTest::addColumn<bool>("viaCloseBox");
        QTest::addColumn<bool>("exitAnyway");
        QTest::newRow("exit button, stay") << false << false;
        QTest::newRow("close box, stay") << true << false;
        QTest::newRow("exit button, exit anyway") << false << true;
    }
    void failedSaveAsksWhetherToExitAnyway()
    {
        QFETCH(bool, viaCloseBox);
        QFETCH(bool, exitAnyway);
        Fixture fx;
        fx.tp.files.failing.insert("Task.sts", "No space left on device");
        fx.tp.boxes.answer(Answer::Ok);
        fx.tp.boxes.answer(exitAnyway ? Answer::Ok : Answer::Cancel);
        QCOMPARE(fx.exit(viaCloseBox), exitAnyway);
        QCOMPARE(fx.tp.boxes.shown.size(), 2);
        const FakeBoxes::Box &box = fx.tp.boxes.shown[1];
        // Only the file that failed, why, and the truth about both files.
        QCOMPARE(box.text,
            QStringLiteral("无法保存文件 %1：No space left on device\n\n"
                           "Task.sts 和 Time.stt 都还是原来的任务表，本次的更改没有保存。仍然退出吗?")
                .arg(QDir::toNativeSeparators(fx.tp.path("Task.sts"))));
        QCOMPARE(box.buttons, Buttons::OkCancel);
        QCOMPARE(box.title, QStringLiteral("Quorvalent"));
        QCOMPARE(fx.ended.count(), int(exitAnyway));
        QCOMPARE(fx.tp.tray.shown(), !exitAnyway);
        if (exitAnyway) return;
        // Staying: the program runs on with all its state and its icon.
        QVERIFY(!fx.tp.log.contains("profile write Left"));
        QCOMPARE(fx.form.List1->count(), 1);
        QVERIFY(fx.form.isVisible());
    }

    void noCloseWhileDisabledBehindTheAboutWindow()
    {
        Fixture fx;
        fx.form.Form_DblClick();
        QVERIFY(!fx.form.close());
        QVERIFY(fx.tp.boxes.shown.isEmpty());
    }

    void nothingRunsAfterAnEndWhileABoxIsOpen_data()
    {
        // Which box is open when the session ends, and how it was reached.
        QTest::addColumn<int>("boxNumber");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("failingSave");
        QTest::newRow("exit question, exit button") << 1 << "exit button" << false;
        QTest::newRow("exit question, close box") << 1 << "close box" << false;
        QTest::newRow("save failure, exit button") << 2 << "exit button" << true;
        QTest::newRow("save failure, close box") << 2 << "close box" << true;
        QTest::newRow("reminder confirmation") << 1 << "reminder" << false;
        QTest::newRow("reminder started") << 2 << "reminder" << false;
        // Once the alert is gone, its handler removes no task.
        QTest::newRow("schedule alert") << 2 << "schedule" << false;
    }
    void nothingRunsAfterAnEndWhileABoxIsOpen()
    {
        QFETCH(int, boxNumber);
        QFETCH(QString, how);
        QFETCH(bool, failingSave);
        Fixture fx;
        if (failingSave) fx.tp.files.failing.insert("Task.sts", "No space left on device");
        for (int n = 1; n < boxNumber; ++n)
            fx.tp.boxes.answer(Answer::Ok);
        // The user would answer OK, or stay after the failure; the end comes first.
        fx.tp.boxes.answer(failingSave ? Answer::Cancel : Answer::Ok, [&] {
            fx.tp.log.clear();
            fx.form.endSession();
        });
        if (how == QLatin1String("reminder")) {
            fx.startSingleTask();
        } else if (how == QLatin1String("schedule")) {
            fx.tp.clock.set(14, 30, 0);
            fx.form.Check1->setChecked(true);
            fx.form.Command18->click();
            tick(fx.form.Timer2);
            QVERIFY(!fx.form.Timer2->isEnabled());
        } else {
            fx.exit(how == QLatin1String("close box"));
        }
        QCOMPARE(fx.tp.boxes.shown.size(), boxNumber);
        QCOMPARE(fx.ended.count(), 1);
        // Only the session's own save and removal, and nothing after it.
        QCOMPARE(fx.tp.log, savedThenRemoved);
        QCOMPARE(fx.form.List1->count(), 1);
        QVERIFY(!fx.tp.tray.shown());
        QVERIFY(!fx.form.isVisible());
        QCOMPARE(fx.form.Label9->text(), QStringLiteral("没有任何提醒任务"));
    }
};

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
