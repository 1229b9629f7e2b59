// Start-up in its order, and the guarded ways out of the program.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QtTest>

class LifecycleTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpRunsInOrder();
    void refusedWhileASingleTaskRuns();
    void askedWhenTheStatusOnlyLooksLikeRunning();
    void cancelLeavesEverything_data();
    void cancelLeavesEverything();
    void exitButtonRemovesTheIconThenSaves();
    void closeBoxSavesThenRemovesTheIcon();
    void failedSaveAsksWhetherToExitAnyway_data();
    void failedSaveAsksWhetherToExitAnyway();
    void failedSaveAndExitAnyway();
    void noCloseWhileDisabledBehindTheAboutWindow();
    void sessionEndSavesWithoutAsking();
    void nothingRunsAfterTheEnd();
    void nothingRunsAfterAnEndWhileABoxIsOpen_data();
    void nothingRunsAfterAnEndWhileABoxIsOpen();

private:
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
            form.Text1->setText("23");
            form.Text2->setText("59");
            form.Text3->setText("59");
            form.Command5->click();
            tp.boxes.shown.clear();
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
};

void LifecycleTest::startUpRunsInOrder()
{
    TestPlatform tp;
    tp.clock.set(QDateTime(QDate(2004, 12, 25), QTime(7, 5, 9)));
    Form1 f(tp.platform());
    QCOMPARE(
        tp.log, (QStringList{"read Task.sts", "read Time.stt", "tray add", "profile read Left", "profile read Top"}));
    QCOMPARE(f.Label3->text(), QStringLiteral("7:05:09"));
    QVERIFY(f.Check2->isChecked());
    QVERIFY(!f.Check1->isChecked());
    QCOMPARE(f.outerHeight(), 6810.f);
    QVERIFY(!f.HiddenToTray);
    // The holiday test comes last.
    QVERIFY(f.form4());
    QVERIFY(!f.isVisible());
}

void LifecycleTest::refusedWhileASingleTaskRuns()
{
    for (bool viaCloseBox : {false, true}) {
        Fixture fx;
        fx.startSingleTask();
        QVERIFY(!fx.exit(viaCloseBox));
        QCOMPARE(fx.tp.boxes.texts(), QStringList{QStringLiteral("请先取消目前正在运行的任务")});
        QCOMPARE(fx.tp.boxes.shown[0].buttons, Buttons::Ok);
        QCOMPARE(fx.tp.boxes.shown[0].title, QStringLiteral("Quorvalent"));
        QVERIFY(fx.tp.log.isEmpty()); // nothing saved, the icon stays
        QVERIFY(fx.form.isVisible());
        QVERIFY(!fx.form.hasEnded());
    }
}

void LifecycleTest::askedWhenTheStatusOnlyLooksLikeRunning()
{
    for (const QString &status : {QStringLiteral("提醒任务已经开始。"), QStringLiteral(" 没有提醒任务")}) {
        for (bool viaCloseBox : {false, true}) {
            Fixture fx;
            fx.form.Label9->setText(status);
            fx.tp.boxes.answer(Answer::Cancel);
            fx.exit(viaCloseBox);
            QCOMPARE(fx.tp.boxes.texts(), QStringList{QStringLiteral("确定退出吗?")});
            QCOMPARE(fx.tp.boxes.shown[0].buttons, Buttons::OkCancel);
        }
    }
}

void LifecycleTest::cancelLeavesEverything_data()
{
    QTest::addColumn<bool>("viaCloseBox");
    QTest::newRow("exit button") << false;
    QTest::newRow("close box") << true;
}

void LifecycleTest::cancelLeavesEverything()
{
    QFETCH(bool, viaCloseBox);
    Fixture fx;
    fx.tp.boxes.answer(Answer::Cancel);
    QVERIFY(!fx.exit(viaCloseBox));
    QVERIFY(fx.tp.log.isEmpty());
    QVERIFY(fx.form.isVisible());
    QCOMPARE(fx.form.List1->count(), 1);
    QVERIFY(fx.form.Timer1->isEnabled());
    QCOMPARE(fx.ended.count(), 0);
    QVERIFY(!QFile::exists(fx.tp.path("Time.stt")));
}

void LifecycleTest::exitButtonRemovesTheIconThenSaves()
{
    Fixture fx;
    fx.form.Command8->click(); // the clock bar is up
    fx.form.show();
    fx.form.Command7->click();
    QCOMPARE(fx.tp.log,
        (QStringList{"tray delete", "write Task.sts", "write Time.stt", "profile write Left", "profile write Top"}));
    QCOMPARE(fx.ended.count(), 1);
    QVERIFY(fx.form.hasEnded());
    QVERIFY(!fx.form.isVisible());
    QVERIFY(!fx.form.form2().isVisible());
    QVERIFY(!fx.form.Timer1->isEnabled());
    QVERIFY(!fx.form.form2().Timer1->isEnabled());
    QVERIFY(QFile::exists(fx.tp.path("Time.stt")));
    QVERIFY(QFile::exists(fx.tp.path("Quorvalent.ini")));
}

void LifecycleTest::closeBoxSavesThenRemovesTheIcon()
{
    Fixture fx;
    QVERIFY(fx.form.close());
    QCOMPARE(fx.tp.log,
        (QStringList{"write Task.sts", "write Time.stt", "tray delete", "profile write Left", "profile write Top"}));
    QCOMPARE(fx.ended.count(), 1);
}

void LifecycleTest::failedSaveAsksWhetherToExitAnyway_data()
{
    QTest::addColumn<bool>("viaCloseBox");
    QTest::newRow("exit button") << false;
    QTest::newRow("close box") << true;
}

void LifecycleTest::failedSaveAsksWhetherToExitAnyway()
{
    QFETCH(bool, viaCloseBox);
    Fixture fx;
    fx.tp.files.failing.insert("Task.sts", "No space left on device");
    fx.tp.boxes.answer(Answer::Ok);
    fx.tp.boxes.answer(Answer::Cancel);
    QVERIFY(!fx.exit(viaCloseBox));
    QCOMPARE(fx.tp.boxes.shown.size(), 2);
    const FakeBoxes::Box &box = fx.tp.boxes.shown[1];
    // Only the file that failed, why, and the truth about both files.
    QCOMPARE(box.text,
        QStringLiteral("无法保存文件 %1：No space left on device\n\n"
                       "Task.sts 和 Time.stt 都还是原来的任务表，本次的更改没有保存。仍然退出吗?")
            .arg(QDir::toNativeSeparators(fx.tp.path("Task.sts"))));
    QCOMPARE(box.buttons, Buttons::OkCancel);
    QCOMPARE(box.title, QStringLiteral("Quorvalent"));
    // Staying: the program runs on with all its state and its icon.
    QCOMPARE(fx.ended.count(), 0);
    QVERIFY(fx.tp.tray.shown());
    QVERIFY(!fx.tp.log.contains("profile write Left"));
    QCOMPARE(fx.form.List1->count(), 1);
    QVERIFY(fx.form.isVisible());
}

void LifecycleTest::failedSaveAndExitAnyway()
{
    Fixture fx;
    fx.tp.files.failing.insert("Time.stt", "Read-only file system");
    fx.form.Command7->click();
    QCOMPARE(fx.tp.boxes.shown.size(), 2);
    QCOMPARE(fx.ended.count(), 1);
    QVERIFY(!fx.tp.tray.shown());
}

void LifecycleTest::noCloseWhileDisabledBehindTheAboutWindow()
{
    Fixture fx;
    fx.form.Form_DblClick();
    QVERIFY(!fx.form.close());
    QVERIFY(fx.tp.boxes.shown.isEmpty());
}

void LifecycleTest::sessionEndSavesWithoutAsking()
{
    // Even with a single task running: nothing may be lost at log-out.
    Fixture fx;
    fx.startSingleTask();
    fx.form.move(30, 45);
    fx.form.endSession();
    QVERIFY(fx.tp.boxes.shown.isEmpty());
    QCOMPARE(fx.tp.log,
        (QStringList{"write Task.sts", "write Time.stt", "tray delete", "profile write Left", "profile write Top"}));
    QCOMPARE(fx.ended.count(), 1);
    fx.form.endSession();
    QCOMPARE(fx.ended.count(), 1);
    TestPlatform &tp = fx.tp;
    Form1 next(tp.platform());
    QCOMPARE(next.List1->item(0)->text(), QStringLiteral("14:30:00"));
    QCOMPARE(next.pos(), QPoint(30, 45));
}

void LifecycleTest::nothingRunsAfterTheEnd()
{
    // A session that ends while an alert is open: once the box is gone, its
    // handler does nothing more.
    Fixture fx;
    fx.tp.clock.set(14, 30, 0);
    fx.form.Check1->setChecked(true);
    fx.form.Command18->click();
    fx.tp.boxes.answer(Answer::Ok, [&] { fx.form.endSession(); });
    fx.tp.boxes.shown.clear();
    tick(fx.form.Timer2);
    QCOMPARE(fx.tp.boxes.shown.size(), 1);
    QCOMPARE(fx.form.List1->count(), 1); // saved with the task, and left so
    QVERIFY(!fx.form.isVisible());
    QVERIFY(!fx.form.Timer2->isEnabled());
}

void LifecycleTest::nothingRunsAfterAnEndWhileABoxIsOpen_data()
{
    // Which box is open when the session ends, and how it was reached.
    QTest::addColumn<int>("boxNumber");
    QTest::addColumn<bool>("viaCloseBox");
    QTest::addColumn<bool>("failingSave");
    QTest::addColumn<bool>("singleTask");
    QTest::newRow("exit question, exit button") << 1 << false << false << false;
    QTest::newRow("exit question, close box") << 1 << true << false << false;
    QTest::newRow("save failure, exit button") << 2 << false << true << false;
    QTest::newRow("save failure, close box") << 2 << true << true << false;
    QTest::newRow("reminder confirmation") << 1 << false << false << true;
    QTest::newRow("reminder started") << 2 << false << false << true;
}

void LifecycleTest::nothingRunsAfterAnEndWhileABoxIsOpen()
{
    QFETCH(int, boxNumber);
    QFETCH(bool, viaCloseBox);
    QFETCH(bool, failingSave);
    QFETCH(bool, singleTask);
    Fixture fx;
    if (failingSave) fx.tp.files.failing.insert("Task.sts", "No space left on device");
    for (int n = 1; n < boxNumber; ++n)
        fx.tp.boxes.answer(Answer::Ok);
    // The user would answer OK, or stay after the failure; the end comes first.
    fx.tp.boxes.answer(failingSave ? Answer::Cancel : Answer::Ok, [&] {
        fx.tp.log.clear();
        fx.form.endSession();
    });
    if (singleTask) {
        fx.form.Text1->setText("23");
        fx.form.Text2->setText("59");
        fx.form.Text3->setText("59");
        fx.form.Command5->click();
    } else {
        fx.exit(viaCloseBox);
    }
    QCOMPARE(fx.tp.boxes.shown.size(), boxNumber);
    QCOMPARE(fx.ended.count(), 1);
    // Only the session's own save and removal, and nothing after it.
    QCOMPARE(fx.tp.log,
        (QStringList{"write Task.sts", "write Time.stt", "tray delete", "profile write Left", "profile write Top"}));
    QVERIFY(!fx.tp.tray.shown());
    QVERIFY(!fx.form.isVisible());
    QCOMPARE(fx.form.Label9->text(), QStringLiteral("没有任何提醒任务"));
}

QTEST_MAIN(LifecycleTest)
#include "tst_lifecycle.moc"
