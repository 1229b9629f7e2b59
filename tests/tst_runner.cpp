// The schedule runner.
#include "schedule/textindex.h"
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class RunnerTest : public QObject
{
    Q_OBJECT

private slots:
    void stoppedUntilStartedThenShowsOkEvenWhenEmpty()
    {
        Fixture fx;
        fx.add({"14:30:00 开会"});
        fx.at(14, 30, 0);
        QVERIFY(fx.tp.boxes.shown.isEmpty());
        fx.form.Command11->click();
        fx.form.Command18->click();
        QVERIFY(fx.form.Timer2->isEnabled());
        QCOMPARE(fx.tp.boxes.texts(), QStringList{"OK"});
        QCOMPARE(fx.tp.boxes.shown[0].title, QStringLiteral("Quorvalent"));
        fx.form.Command18->click();
        QCOMPARE(fx.tp.boxes.texts(), (QStringList{"OK", "OK"}));
        // Tasks added later are watched without a further press.
        fx.tp.boxes.shown.clear();
        fx.add({"14:31:00 开会"});
        fx.at(14, 31, 0);
        QCOMPARE(fx.tp.boxes.texts(), Fixture::alerts({"14:31:00 开会"}));
    }

    void alertsAndRemovesTheDueTask()
    {
        Fixture fx;
        fx.add({"9:05:00 吃饭", "14:30:00 开会", "16:00:00 下班"});
        fx.start();
        bool stillListedWhileOpen = false;
        fx.tp.boxes.answer(Answer::Ok, [&] { stillListedWhileOpen = fx.form.List1->count() == 3; });
        fx.at(14, 30, 0);
        QCOMPARE(
            fx.tp.boxes.texts(), QStringList{QStringLiteral("14:30:00 时提醒您：开会 请单击“确定”按钮删除此消息")});
        QCOMPARE(fx.tp.boxes.shown[0].buttons, Buttons::Ok);
        QVERIFY(stillListedWhileOpen);
        QCOMPARE(fx.tasks(),
            (QStringList{QStringLiteral("9:05:00 时提醒您：吃饭"), QStringLiteral("16:00:00 时提醒您：下班")}));
        // The second tick of the same second finds nothing more.
        tick(fx.form.Timer2);
        QCOMPARE(fx.tp.boxes.shown.size(), 1);
        // Gone for good: the next start does not bring it back.
        QVERIFY(fx.form.SaveTask().failures.isEmpty());
        Form1 next(fx.tp.platform());
        QCOMPARE(next.List2->count(), 2);
        QCOMPARE(next.List2->item(1)->text(), QStringLiteral("时提醒您：下班"));
    }

    void twoTasksInOneSecond_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("nestedTicks");
        QTest::newRow("apart") << QStringList{"14:30:00 开会", "15:00:00 喝茶", "14:30:00 吃饭"} << false;
        // The half-second tick comes while the first alert is still open.
        QTest::newRow("adjacent, nested ticks")
            << QStringList{"14:30:00 开会", "14:30:00 吃饭", "15:00:00 喝茶"} << true;
    }

    void twoTasksInOneSecond()
    {
        QFETCH(QStringList, added);
        QFETCH(bool, nestedTicks);
        Fixture fx;
        fx.add(added);
        fx.start();
        if (nestedTicks) {
            fx.tp.boxes.answer(Answer::Ok, [&] { tick(fx.form.Timer2); });
            fx.tp.boxes.answer(Answer::Ok, [&] { tick(fx.form.Timer2); });
        } else {
            fx.tp.boxes.answer(Answer::Cancel); // any answer dismisses
        }
        fx.at(14, 30, 0);
        if (!nestedTicks) tick(fx.form.Timer2);
        QCOMPARE(fx.tp.boxes.texts(), (Fixture::alerts({"14:30:00 开会", "14:30:00 吃饭"})));
        QCOMPARE(fx.tasks(), QStringList{QStringLiteral("15:00:00 时提醒您：喝茶")});
    }

    void taskDueWhileAnotherAlertIsOpen()
    {
        // A task a few seconds later gets its own box instead of passing unseen.
        Fixture fx;
        fx.add({"14:30:00 开会", "14:30:03 打电话", "16:00:00 下班"});
        fx.start();
        QStringList tasksAfterNested;
        fx.tp.boxes.answer(Answer::Ok, [&] {
            fx.at(14, 30, 1);
            fx.at(14, 30, 3);
            tasksAfterNested = fx.tasks();
        });
        fx.at(14, 30, 0);
        QCOMPARE(fx.tp.boxes.texts(), (Fixture::alerts({"14:30:00 开会", "14:30:03 打电话"})));
        QCOMPARE(tasksAfterNested,
            (QStringList{QStringLiteral("14:30:00 时提醒您：开会"), QStringLiteral("16:00:00 时提醒您：下班")}));
        QCOMPARE(fx.tasks(), QStringList{QStringLiteral("16:00:00 时提醒您：下班")});
    }

    void dismissalRemovesTheAlertedTaskAfterNestedRemovals()
    {
        // The open alert's task moves up when a nested alert removes a row above it.
        Fixture fx;
        fx.add({"14:30:02 上面", "14:30:00 开会", "14:30:04 下面", "18:00:00 留下"});
        fx.start();
        fx.tp.boxes.answer(Answer::Ok, [&] {
            fx.at(14, 30, 2);
            fx.at(14, 30, 4);
            // Ticks in the same second again: nothing is alerted twice.
            fx.at(14, 30, 0);
        });
        fx.at(14, 30, 0);
        QCOMPARE(fx.tp.boxes.texts(), (Fixture::alerts({"14:30:00 开会", "14:30:02 上面", "14:30:04 下面"})));
        QCOMPARE(fx.tasks(), QStringList{QStringLiteral("18:00:00 时提醒您：留下")});
    }

    void keepsRunningInSingleTaskMode()
    {
        Fixture fx;
        fx.add({"14:30:00 开会"});
        fx.start();
        fx.form.Check1->setChecked(false);
        fx.form.Check2->setChecked(true);
        fx.at(14, 30, 0);
        QCOMPARE(fx.tp.boxes.texts(), Fixture::alerts({"14:30:00 开会"}));
        QCOMPARE(fx.form.List1->count(), 0);
    }

    void dueEveryDayAndNeverParsed()
    {
        Fixture fx;
        fx.add({"9:5:0 不会", "09:05:00 也不会"});
        // Added at 15:00 for 14:30:00: due the next day.
        fx.tp.clock.set(15, 0, 0);
        fx.add({"14:30:00 明天"});
        fx.start();
        fx.at(9, 5, 0);
        fx.at(23, 59, 59);
        QVERIFY(fx.tp.boxes.shown.isEmpty());
        fx.tp.clock.set(QDateTime(QDate(2026, 3, 15), QTime(14, 30, 0)));
        tick(fx.form.Timer2);
        QCOMPARE(fx.tp.boxes.texts(), Fixture::alerts({"14:30:00 明天"}));
        QCOMPARE(fx.form.List1->count(), 2);
    }

    void editsDuringTheRunAreSeen()
    {
        // Deleted, cleared and added rows are followed by the runner.
        Fixture fx;
        fx.add({"14:30:00 删掉", "14:30:00 留着"});
        fx.start();
        fx.form.List1->setCurrentRow(0);
        fx.form.Command10->click();
        fx.at(14, 30, 0);
        QCOMPARE(fx.tp.boxes.texts(), Fixture::alerts({"14:30:00 留着"}));
        fx.add({"14:31:00 清掉"});
        fx.form.Command11->click();
        fx.add({"14:32:00 新的"});
        fx.at(14, 31, 0);
        fx.at(14, 32, 0);
        QCOMPARE(fx.tp.boxes.texts(), (Fixture::alerts({"14:30:00 留着", "14:32:00 新的"})));
    }

    void timeIndexForgetsAClearedList()
    {
        QListWidget list;
        TextIndex index(&list);
        list.addItem("14:30:00");
        list.clear(); // its items are deleted: the index must not hand them out
        QVERIFY(index.rowsWithText("14:30:00").isEmpty());
    }

private:
    struct Fixture
    {
        TestPlatform tp;
        Form1 form{tp.platform()};
        Fixture()
        {
            tp.clock.set(14, 29, 59);
            form.Check1->setChecked(true);
        }
        // Adds tasks written "h:m:s text".
        void add(const QStringList &tasks)
        {
            for (const QString &task : tasks) {
                const QStringList parts = task.section(QLatin1Char(' '), 0, 0).split(QLatin1Char(':'));
                typeEntry(form, parts[0], parts[1], parts[2], task.section(QLatin1Char(' '), 1));
                form.Command9->click();
            }
        }
        void start()
        {
            form.Command18->click();
            tp.boxes.shown.clear();
        }
        void at(int h, int m, int s)
        {
            tp.clock.set(h, m, s);
            tick(form.Timer2);
        }
        QStringList tasks() const
        {
            QStringList r;
            for (int i = 0; i < form.List1->count(); ++i)
                r.append(form.List1->item(i)->text() + QLatin1Char(' ')
                    + (i < form.List2->count() ? form.List2->item(i)->text() : QStringLiteral("?")));
            return r;
        }
        // The alerts of tasks written "h:m:s text".
        static QStringList alerts(const QStringList &tasks)
        {
            QStringList r;
            for (const QString &task : tasks)
                r.append(task.section(QLatin1Char(' '), 0, 0) + QStringLiteral(" 时提醒您：")
                    + task.section(QLatin1Char(' '), 1) + QStringLiteral(" 请单击“确定”按钮删除此消息"));
            return r;
        }
    };
};

QTEST_MAIN(RunnerTest)
#include "tst_runner.moc"
