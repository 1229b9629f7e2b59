#include "windows/form4.h"

#include "platform/artwork.h"
#include "platform/timer.h"
#include "platform/twips.h"

#include <QCloseEvent>
#include <QPainter>

Form4::Form4(const Platform &platform, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window)
    , m_mainWindow(mainWindow)
    , m_picture(artwork(QStringLiteral("greeting.jpg")))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Form4"));
    // No icon of its own: a blank one keeps the application's from showing.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    setGeometry(toPixels(4230), toPixels(3495), toPixels(6630), toPixels(3285));

    Timer1 = platform.timers.create(this, QStringLiteral("Timer1"), 3000, true);
    connect(Timer1, &Timer::tick, this, &Form4::Timer1_Timer);
}

void Form4::Timer1_Timer()
{
    m_mainWindow->setEnabled(true);
    m_mainWindow->show();
    hide();
}

void Form4::paintEvent(QPaintEvent *) { QPainter(this).drawPixmap(0, 0, m_picture); }

void Form4::closeEvent(QCloseEvent *event)
{
    // Closed before its timer came: hand back at once, or the main window
    // would stay hidden. The window and its timer live on. A hidden greeting
    // (the program has ended) hands nothing back.
    if (isVisible()) Timer1_Timer();
    event->accept();
}
