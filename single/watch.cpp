// The one-second clock, the single-task watch and its alert.
#include "shell/form1.h"

#include "platform/clock.h"
#include "platform/timer.h"
#include "platform/windowsystem.h"
#include "windows/form2.h"

void Form1::Timer1_Timer()
{
    Label3->setText(m_platform.clock.timeText());
    if (!TaskArmed) return;
    const QString now = m_platform.clock.timeText();
    const QString target = Text1->text() + QLatin1Char(':') + Text2->text() + QLatin1Char(':') + Text3->text();
    if (now != target) return;
    // A tick inside the open alert's own loop may fall in the same second: one alert per task.
    if (m_singleAlertOpen) return;
    m_singleAlertOpen = true;
    box(QStringLiteral("我要提醒您:") + Label8->text(), Buttons::Ok, BoxKind::Alert);
    m_singleAlertOpen = false;

    for (TextBox *t : {Text1, Text2, Text3, Text4})
        t->setText(QString());
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Label11->setText(QString());
    // Back in view, but the keys stay with the window the user works in.
    showWithoutActivating(this);
    form2().hide();
    TaskArmed = false;
    Label9->setText(QStringLiteral(" 没有任何提醒任务"));
    Finish();
}

void Form1::Command1_Click() { Timer1->setEnabled(false); }

void Form1::Command2_Click() { Timer1->setEnabled(true); }
