#pragma once

#include "platform/controls.h"
#include "platform/platform.h"

#include <QWidget>

class Timer;

// The clock bar: a thin borderless strip at the screen's top-left corner that
// stands in for the hidden main window.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    Form2(const Platform &platform, QWidget *mainWindow);

    CommandButton *Command1;
    Label *Label1;
    Label *Label2;
    Label *Label3;
    Timer *Timer1;

    void Command1_Click();
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Platform m_platform;
    QWidget *m_mainWindow;
};
