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
        type(f, "12", "30", "00", QStringLiteral("开会"));
        QCOMPARE(f.Label8->text(), QStringLiteral("开会"));
        f.Command3->click();
        QVERIFY(f.Text1->text().isEmpty() && f.Text2->text().isEmpty() && f.Text3->text().isEmpty());
        QCOMPARE(f.Text4->text(), QStringLiteral("开会"));
        f.Command4->click();
        QVERIFY(f.Text4->text().isEmpty());
        QVERIFY(f.Label8->text().isEmpty());
        QVERIFY(tp.boxes.shown.isEmpty());
    }

    void emptyFieldIsRefusedAndClearsEverything()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Label11->setText("x");
        f.Command1->setEnabled(false);
        f.Command2->setEnabled(false);
        type(f, "12", "30", "", QStringLiteral("开会"));
        f.Command5->click();
        QCOMPARE(tp.boxes.texts(), QStringList{QStringLiteral("请输入具体时间，不然我无法提醒您")});
        QCOMPARE(tp.boxes.shown[0].buttons, Buttons::Ok);
        QCOMPARE(tp.boxes.shown[0].title, QStringLiteral("Quorvalent"));
        verifyFieldsEmpty(f);
        QVERIFY(f.Label11->text().isEmpty());
        QVERIFY(f.Command1->isEnabled() && f.Command2->isEnabled());
        QCOMPARE(f.Label9->text(), QStringLiteral("没有任何提醒任务"));
        QVERIFY(!f.TaskArmed);
    }

    void blankCountsAsContent()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        type(f, " ", "30", "00", "");
        tp.boxes.answer(Answer::Cancel);
        f.Command5->click();
        QCOMPARE(tp.boxes.texts(), QStringList{QStringLiteral("您确定输入的项目正确吗？注意时间格式为24小时制。")});
        QCOMPARE(tp.boxes.shown[0].buttons, Buttons::OkCancel);
    }

    void cancelledConfirmationClearsAndStartsNothing()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Command1->click(); // no handler yet for the clock; only the enabled state matters here
        f.Timer1->setEnabled(false);
        type(f, "14", "30", "00", QStringLiteral("开会"));
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
        type(f, "14", "30", "00", QStringLiteral("开会"));
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
        type(f, "14", "30", "00", QStringLiteral("开会"));
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
    }

private:
    static void type(Form1 &f, const QString &h, const QString &m, const QString &s, const QString &text)
    {
        f.Text1->setText(h);
        f.Text2->setText(m);
        f.Text3->setText(s);
        f.Text4->setText(text);
    }
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
