// Entering, confirming, starting and cancelling the single reminder.
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class EntryTest : public QObject
{
    Q_OBJECT

private slots:
    void echoAndClearButtons()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        QTest::keyClicks(f.Text4, QStringLiteral("ab"));
        QCOMPARE(f.Label8->text(), QStringLiteral("ab"));
        typeEntry(f, "12", "30", "00", QStringLiteral("开会"));
        QCOMPARE(f.Label8->text(), QStringLiteral("开会"));
        f.Command3->click();
        QVERIFY(f.Text1->text().isEmpty() && f.Text2->text().isEmpty() && f.Text3->text().isEmpty());
        QCOMPARE(f.Text4->text(), QStringLiteral("开会"));
        f.Command4->click();
        QVERIFY(f.Text4->text().isEmpty());
        QVERIFY(f.Label8->text().isEmpty());
        QVERIFY(tp.boxes.shown.isEmpty());
    }

    // An empty field is refused and clears everything; a blank one counts as content.
    void fieldsCheckedBeforeConfirming_data()
    {
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::newRow("empty minutes") << u"12"_qs << QString();
        QTest::newRow("blank hours") << u" "_qs << u"30"_qs;
    }
    void fieldsCheckedBeforeConfirming()
    {
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        const bool refused = minutes.isEmpty();
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Label11->setText("x");
        f.Command1->setEnabled(false);
        f.Command2->setEnabled(false);
        typeEntry(f, hours, minutes, "00", QStringLiteral("开会"));
        tp.boxes.answer(Answer::Cancel);
        f.Command5->click();
        QCOMPARE(tp.boxes.texts(),
            QStringList{refused ? QStringLiteral("请输入具体时间，不然我无法提醒您")
                                : QStringLiteral("您确定输入的项目正确吗？注意时间格式为24小时制。")});
        QCOMPARE(tp.boxes.shown[0].buttons, refused ? Buttons::Ok : Buttons::OkCancel);
        verifyFieldsEmpty(f);
        if (refused) QVERIFY(f.Label11->text().isEmpty() && f.Command1->isEnabled() && f.Command2->isEnabled());
        QCOMPARE(f.Label9->text(), QStringLiteral("没有任何提醒任务"));
        QVERIFY(!f.TaskArmed);
    }

    void cancelledConfirmationClearsAndStartsNothing()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Command1->click(); // the clock stopped: a cancelled start must not set it going
        typeEntry(f, "14", "30", "00", QStringLiteral("开会"));
        tp.boxes.answer(Answer::Cancel);
        f.Command5->click();
        QCOMPARE(tp.boxes.shown.size(), 1);
        verifyFieldsEmpty(f);
        verifyIdleEntry(f);
        QVERIFY(!f.Timer1->isEnabled());
        QCOMPARE(f.Label9->text(), QStringLiteral("没有任何提醒任务"));
        QVERIFY(!f.TaskArmed);
    }

    void confirmedStartLocksTheEntry()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Timer1->setEnabled(false); // a stopped clock must not keep the task from firing
        typeEntry(f, "14", "30", "00", QStringLiteral("开会"));
        bool armedWhileBoxOpen = true;
        tp.boxes.answer(Answer::Ok);
        tp.boxes.answer(Answer::Ok, [&] { armedWhileBoxOpen = f.TaskArmed; });
        f.Command5->click();
        QCOMPARE(tp.boxes.texts(),
            (QStringList{QStringLiteral("您确定输入的项目正确吗？注意时间格式为24小时制。"),
                QStringLiteral("提醒任务已经开始")}));
        QCOMPARE(tp.boxes.shown[1].buttons, Buttons::Ok);
        // The start takes effect only once the last box is gone.
        QVERIFY(!armedWhileBoxOpen);
        QVERIFY(f.TaskArmed);
        for (QWidget *w : Controls{f.Command5, f.Command9, f.Command3, f.Command4, f.Text1, f.Text2, f.Text3, f.Text4,
                 f.Check1, f.Check2, f.Command1, f.Command2})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(f.Command6->isEnabled());
        QVERIFY(f.Timer1->isEnabled());
        QCOMPARE(f.Label9->text(), QStringLiteral(" 提醒任务已经开始。"));
        // The entry stays as typed, and the frame goes round the clock.
        QCOMPARE(f.Text1->text(), QStringLiteral("14"));
        QCOMPARE(f.Label8->text(), QStringLiteral("开会"));
        QVERIFY(!f.Shape3->isHidden());
        QCOMPARE(f.Shape3->bounds(), f.Label3->geometry());
    }

    void cancelInIdle()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Command6->click();
        QCOMPARE(tp.boxes.texts(), QStringList{QStringLiteral("已经取消！")});
        QCOMPARE(tp.boxes.shown[0].buttons, Buttons::Ok);
        QCOMPARE(f.Label9->text(), QStringLiteral(" 没有提醒任务"));
        verifyIdleEntry(f);
        QVERIFY(f.Command9->isEnabled()); // unlocked whatever the mode
    }

    void cancelAfterStartUnlocks()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        typeEntry(f, "14", "30", "00", QStringLiteral("开会"));
        f.Command5->click();
        f.Label11->setText("x");
        // While "已经取消！" is open the entry is already back, the status not yet.
        bool backWhileOpen = false;
        tp.boxes.answer(Answer::Ok, [&] {
            backWhileOpen = f.Text1->text().isEmpty() && f.Text4->isEnabled() && f.Command2->isEnabled()
                && f.Label9->text() == Form1::RunningStatus;
        });
        f.Command6->click();
        QVERIFY(backWhileOpen);
        QCOMPARE(tp.boxes.texts().last(), QStringLiteral("已经取消！"));
        verifyFieldsEmpty(f);
        verifyIdleEntry(f);
        QVERIFY(f.Label11->text().isEmpty());
        QCOMPARE(f.Label9->text(), QStringLiteral(" 没有提醒任务"));
        QVERIFY(!f.TaskArmed);
        QVERIFY(f.Timer1->isEnabled()); // cancelling leaves the clock running
        // Its second comes with the same time typed again: nothing fires.
        typeEntry(f, "14", "30", "00", QStringLiteral("开会"));
        tp.clock.set(14, 30, 0);
        tick(f.Timer1);
        QCOMPARE(tp.boxes.shown.size(), 3);
    }

private:
    static void verifyIdleEntry(Form1 &f)
    {
        for (QWidget *w : Controls{f.Command5, f.Text1, f.Text2, f.Text3, f.Text4, f.Command3, f.Command4, f.Check1,
                 f.Check2, f.Command1, f.Command2})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }
    static void verifyFieldsEmpty(Form1 &f)
    {
        for (TextBox *t : {f.Text1, f.Text2, f.Text3, f.Text4})
            QVERIFY2(t->text().isEmpty(), qPrintable(t->objectName()));
        QVERIFY(f.Label8->text().isEmpty());
    }
};

QTEST_MAIN(EntryTest)
#include "tst_entry.moc"
