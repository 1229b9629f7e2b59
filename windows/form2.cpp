#include "windows/form2.h"

#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/timer.h"
#include "platform/twips.h"

#include <QCloseEvent>

Form2::Form2(const Platform &platform, QWidget *mainWindow)
    // A tool window has no taskbar button; no owner, so it lives apart from the main window.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    , m_platform(platform)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Form2"));
    QPalette p = palette();
    p.setColor(QPalette::Window, Colors::Olive);
    setPalette(p);
    setGeometry(0, 0, toPixels(8490), toPixels(360));

    Label1 = new Label(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTransparent();
    Label1->setForeColor(Colors::Purple);
    Label1->setFont(songFont(14.25, true));
    setTwipsGeometry(Label1, 360, 0, 1935, 375);
    Label2 = new Label(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setText(QStringLiteral("Quorvalent 2.0"));
    Label2->setTransparent();
    Label2->setFont(songFont(10.5, true));
    setTwipsGeometry(Label2, 5400, 0, 1695, 255);
    Label3 = new Label(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTransparent();
    setTwipsGeometry(Label3, 7320, 0, 1095, 255);

    // No font of its own: the default control font, which falls back to a CJK face.
    Command1 = new CommandButton(QStringLiteral("显示主窗体"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGraphical(true);
    setTwipsGeometry(Command1, 3720, 0, 1455, 375);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    Timer1 = m_platform.timers.create(this, QStringLiteral("Timer1"), 1000, true);
    connect(Timer1, &Timer::tick, this, &Form2::Timer1_Timer);
}

void Form2::Command1_Click()
{
    m_mainWindow->show();
    hide();
}

void Form2::Timer1_Timer() { Label1->setText(m_platform.clock.timeText()); }

void Form2::closeEvent(QCloseEvent *event)
{
    // The window manager's close is the way back, as the button is; a hidden
    // bar (the program has ended) hands nothing back.
    if (isVisible()) Command1_Click();
    event->accept();
}
