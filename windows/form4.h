#pragma once

#include "platform/platform.h"

#include <QPixmap>
#include <QWidget>

class Timer;

// The holiday greeting that stands in for the main window at start-up; its
// timer gives the main window back, and keeps doing so.
class Form4 : public QWidget
{
    Q_OBJECT
public:
    Form4(const Platform &platform, QWidget *mainWindow);

    Timer *Timer1;
    void Timer1_Timer();

protected:
    void paintEvent(QPaintEvent *) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_mainWindow;
    QPixmap m_picture;
};
