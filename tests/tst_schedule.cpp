// The mode switch and the editing of the paired task lists.
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class ScheduleTest : public QObject
{
    Q_OBJECT

private slots:
    void modes_data()
    {
        QTest::addColumn<int>("then"); // after multi-task mode went on
        QTest::addColumn<bool>("multi");
        QTest::addColumn<bool>("compact");
        QTest::newRow("multi-task mode on") << 0 << true << false;
        QTest::newRow("back to single-task mode") << 1 << false << false;
        QTest::newRow("tools hidden: single-task mode") << 2 << false << true;
    }

    void modes()
    {
        QFETCH(int, then);
        QFETCH(bool, multi);
        QFETCH(bool, compact);
        Fixture fx;
        Form1 &f = fx.form;
        fx.multi();
        if (then == 1) f.Check1->setChecked(false);
        if (then == 2) f.Check2->setChecked(true);
        QCOMPARE(f.Check1->isChecked(), multi);
        QCOMPARE(f.Check2->isChecked(), compact);
        QCOMPARE(f.Label16->text(), multi ? QStringLiteral("多任务模式") : QStringLiteral("单任务模式"));
        for (QWidget *w : Controls{f.List1, f.List2, f.Command9, f.Command10, f.Command11, f.Command18})
            QVERIFY2(w->isEnabled() == multi, qPrintable(w->objectName()));
        for (QWidget *w : Controls{f.List1, f.List2, f.Command10, f.Command11, f.Label12, f.Shape1, f.Shape2})
            QVERIFY2(w->isHidden() == compact, qPrintable(w->objectName()));
        QVERIFY(!f.Command9->isHidden() && !f.Command18->isHidden());
        QCOMPARE(f.Command5->isEnabled(), !multi);
        QCOMPARE(f.Command6->isEnabled(), !multi);
        QCOMPARE(f.outerHeight(), compact ? 6810.f : 8970.f);
    }

    void add_data()
    {
        QTest::addColumn<QStringList>("typed"); // Text1 to Text4
        QTest::addColumn<QString>("time"); // the new row of List1; empty: refused
        QTest::newRow("exactly as typed") << QStringList{"9", "5", "0", QStringLiteral("吃饭")} << "9:5:0";
        QTest::newRow("blank is content") << QStringList{" ", "30", "00", " "} << " :30:00";
        for (int i = 0; i < 4; ++i) {
            QStringList typed{"14", "30", "00", QStringLiteral("开会")};
            typed[i].clear();
            QTest::addRow("Text%d empty", i + 1) << typed << QString();
        }
    }

    void add()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, time);
        Fixture fx;
        fx.multi();
        fx.add("14", "30", "00", QStringLiteral("开会"));
        fx.add(typed[0], typed[1], typed[2], typed[3]);
        const QList<TextBox *> fields{fx.form.Text1, fx.form.Text2, fx.form.Text3, fx.form.Text4};
        if (time.isEmpty()) {
            QCOMPARE(fx.tp.boxes.texts(), QStringList{QStringLiteral("请输入具体的任务!")});
            QCOMPARE(fx.times(), QStringList{"14:30:00"});
            QCOMPARE(fx.texts(), QStringList{QStringLiteral("时提醒您：开会")});
            for (int i = 0; i < 4; ++i) // what was typed stays
                QCOMPARE(fields[i]->text(), typed[i]);
            return;
        }
        // Appended, the fields emptied.
        QCOMPARE(fx.times(), (QStringList{"14:30:00", time}));
        QCOMPARE(fx.texts(), (QStringList{QStringLiteral("时提醒您：开会"), QStringLiteral("时提醒您：") + typed[3]}));
        for (TextBox *t : fields)
            QVERIFY(t->text().isEmpty());
        QVERIFY(fx.form.Label8->text().isEmpty());
        QVERIFY(fx.tp.boxes.shown.isEmpty());
        QVERIFY(!fx.form.Timer2->isEnabled()); // adding never starts the runner
    }

    void addDoesNothingInSingleTaskMode()
    {
        Fixture fx;
        fx.form.Finish(); // a single task ended: the add button is enabled
        QVERIFY(fx.form.Command9->isEnabled());
        fx.add("14", "30", "00", QStringLiteral("开会"));
        QCOMPARE(fx.form.List1->count(), 0);
        QVERIFY(fx.tp.boxes.shown.isEmpty());
        QCOMPARE(fx.form.Text1->text(), QStringLiteral("14"));
    }

    void selectionIsSharedByBothLists()
    {
        Fixture fx;
        Form1 &f = fx.form;
        fx.multi();
        for (const char *t : {"a", "b", "c"})
            fx.add("1", "2", "3", QString::fromLatin1(t));
        f.List1->setCurrentRow(1);
        QCOMPARE(f.List2->selectedItems(), QList<QListWidgetItem *>{f.List2->item(1)});
        QVERIFY(f.Command10->isEnabled());
        f.List2->setCurrentRow(2);
        QCOMPARE(f.List1->selectedItems(), QList<QListWidgetItem *>{f.List1->item(2)});
        f.List1->clearSelection();
        QVERIFY(f.List2->selectedItems().isEmpty());
        QVERIFY(!f.Command10->isEnabled());
    }

    void deleteRemovesOneWholeTaskAndClearRemovesAll()
    {
        Fixture fx;
        Form1 &f = fx.form;
        fx.multi();
        QVERIFY(f.Command10->isEnabled());
        f.Command10->click(); // an empty list
        f.Command11->click();
        fx.add("8", "00", "00", QStringLiteral("一"));
        fx.add("9", "00", "00", QStringLiteral("二"));
        fx.add("10", "00", "00", QStringLiteral("三"));
        fx.add("11", "00", "00", QStringLiteral("四"));
        // A click in the text list picks the whole task.
        f.List2->setCurrentRow(1);
        f.Command10->click();
        QCOMPARE(fx.times(), (QStringList{"8:00:00", "10:00:00", "11:00:00"}));
        QCOMPARE(fx.texts(),
            (QStringList{
                QStringLiteral("时提醒您：一"), QStringLiteral("时提醒您：三"), QStringLiteral("时提醒您：四")}));
        QVERIFY(f.List1->selectedItems().isEmpty());
        QVERIFY(f.List2->selectedItems().isEmpty());
        QVERIFY(f.Command10->isEnabled());
        // A further press finds no selection.
        f.Command10->click();
        QCOMPARE(f.List1->count(), 3);
        QCOMPARE(f.List2->count(), 3);
        // Clearing empties both lists.
        f.List1->setCurrentRow(0);
        f.Command11->click();
        QCOMPARE(f.List1->count() + f.List2->count(), 0);
        QVERIFY(fx.tp.boxes.shown.isEmpty());
    }

private:
    struct Fixture
    {
        TestPlatform tp;
        Form1 form{tp.platform()};
        void multi() { form.Check1->setChecked(true); }
        void add(const QString &h, const QString &m, const QString &s, const QString &text)
        {
            typeEntry(form, h, m, s, text);
            form.Command9->click();
        }
        QStringList times() const { return rows(form.List1); }
        QStringList texts() const { return rows(form.List2); }
    };
};

QTEST_MAIN(ScheduleTest)
#include "tst_schedule.moc"
