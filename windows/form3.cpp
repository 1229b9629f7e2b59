#include "windows/form3.h"

#include "platform/twips.h"
#include "shell/artwork.h"
#include "shell/controls.h"

#include <QMouseEvent>
#include <QPainter>

Form3::Form3(QWidget *mainWindow)
    // A sizing border without a title bar, and no taskbar button.
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint)
    , m_mainWindow(mainWindow)
    , m_picture(artwork(QStringLiteral("about.jpg")))
{
    setObjectName(QStringLiteral("Form3"));
    QPalette p = palette();
    p.setColor(QPalette::Window, Colors::Navy);
    setPalette(p);
    setAutoFillBackground(true);
    setGeometry(toPixels(4755), toPixels(3480), toPixels(6660), toPixels(3210));
}

void Form3::Form_Click()
{
    hide();
    m_mainWindow->show();
    m_mainWindow->setEnabled(true);
}

void Form3::paintEvent(QPaintEvent *)
{
    // At its own size from the top-left corner; what does not fit is cut off.
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void Form3::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint())) Form_Click();
}
