// The window position kept in Quorvalent.ini beside the program.
#include "shell/form1.h"

#include "platform/files.h"
#include "platform/twips.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace {

const QString Section = QStringLiteral("Setup_Info");

// Whether any part of a title bar at this frame position lies on a screen.
bool titleBarOnScreen(const QRect &frame, int titleHeight)
{
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), qMax(titleHeight, 20)));
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->geometry().intersects(titleBar)) return true;
    return false;
}

} // namespace

QString Form1::settingsFile() const { return m_platform.folder + QDir::separator() + QStringLiteral("Quorvalent.ini"); }

void Form1::InitPro()
{
    const int left = m_platform.files.getPrivateProfileInt(Section, QStringLiteral("Left"), 0, settingsFile());
    const int top = m_platform.files.getPrivateProfileInt(Section, QStringLiteral("Top"), 0, settingsFile());
    QPoint at(toPixels(left), toPixels(top));
    // A position left on a monitor that is gone would put the window out of reach.
    const QRect frame(at, frameGeometry().size());
    if (!titleBarOnScreen(frame, frameGeometry().height() - height())) at = QPoint(0, 0);
    move(at);
}

void Form1::WritePro()
{
    // Positions are whole pixels, so whole twips: the shortest form is the integer.
    m_platform.files.writePrivateProfileString(
        Section, QStringLiteral("Left"), QString::number(qRound64(toTwips(x()))), settingsFile());
    m_platform.files.writePrivateProfileString(
        Section, QStringLiteral("Top"), QString::number(qRound64(toTwips(y()))), settingsFile());
}
