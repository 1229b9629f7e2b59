#pragma once

#include <QPixmap>
#include <QWidget>

// The about window: one picture; a click anywhere gives the main window back.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(QWidget *mainWindow);

    void Form_Click();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *m_mainWindow;
    QPixmap m_picture;
};
