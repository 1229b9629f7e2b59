// Entering, starting and cancelling the single reminder.
#include "shell/form1.h"

#include "platform/timer.h"

#include <QApplication>

namespace {

void setFocusColor(TextBox *field, bool focused)
{
    const QColor back = focused ? qApp->palette().color(QPalette::Base) : Colors::Peach;
    field->setBackColor(back);
    field->setForeColor(readableOn(back, Colors::Purple));
}

} // namespace

void Form1::Text1_GotFocus() { setFocusColor(Text1, true); }
void Form1::Text2_GotFocus() { setFocusColor(Text2, true); }
void Form1::Text3_GotFocus() { setFocusColor(Text3, true); }
void Form1::Text4_GotFocus() { setFocusColor(Text4, true); }

void Form1::Text1_LostFocus()
{
    setFocusColor(Text1, false);
    B_out();
}
void Form1::Text2_LostFocus() { setFocusColor(Text2, false); }
void Form1::Text3_LostFocus() { setFocusColor(Text3, false); }
void Form1::Text4_LostFocus() { setFocusColor(Text4, false); }

void Form1::Text4_Change() { Label8->setText(Text4->text()); }

void Form1::Command3_Click()
{
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
}

void Form1::Command4_Click() { Text4->setText(QString()); }

// After a refused entry: the fields go, and the clock buttons come back.
void Form1::resetEntry()
{
    for (TextBox *t : {Text1, Text2, Text3, Text4})
        t->setText(QString());
    Label11->setText(QString());
    Command1->setEnabled(true);
    Command2->setEnabled(true);
}

void Form1::Command5_Click()
{
    // Only the empty string is empty; a blank is content.
    if (Text1->text().isEmpty() || Text2->text().isEmpty() || Text3->text().isEmpty()) {
        box(QStringLiteral("请输入具体时间，不然我无法提醒您"));
        resetEntry();
        return;
    }
    const Answer sure = box(QStringLiteral("您确定输入的项目正确吗？注意时间格式为24小时制。"), Buttons::OkCancel);
    if (sure != Answer::Ok) {
        resetEntry();
        return;
    }
    box(QStringLiteral("提醒任务已经开始"));
    Check2->setEnabled(false);
    Start();
    B_move(twipsLeft(Label3), twipsTop(Label3), twipsHeight(Label3), twipsWidth(Label3));
    Timer1->setEnabled(true); // the clock may have been stopped
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Label9->setText(RunningStatus);
    // Armed only by a confirmed start, so a time typed later never fires unasked.
    TaskArmed = true;
}

void Form1::Command6_Click()
{
    TaskArmed = false;
    for (TextBox *t : {Text1, Text2, Text3, Text4})
        t->setText(QString());
    Label11->setText(QString());
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Finish();
    box(QStringLiteral("已经取消！"));
    Label9->setText(QStringLiteral(" 没有提醒任务"));
}

void Form1::Start()
{
    for (QWidget *w : Controls{Command5, Command9, Text1, Text2, Text3, Text4, Command3, Command4, Check1, Check2})
        w->setEnabled(false);
    B_move(twipsLeft(Label3), twipsTop(Label3), twipsHeight(Label3), twipsWidth(Label3));
}

void Form1::Finish()
{
    for (QWidget *w : Controls{Command5, Command9, Text1, Text2, Text3, Text4, Command3, Check2, Command4, Check1})
        w->setEnabled(true);
}
