#include "windows/form3.h"

#include "platform/artwork.h"
#include "platform/controls.h"
#include "platform/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <utility>

namespace {

// Near a corner, a press takes both sides, as on a system frame.
constexpr int CornerReach = 16;

} // namespace

Form3::Form3(QWidget *mainWindow)
    // No taskbar button; no frame from the window manager, the border is our own.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
    , m_mainWindow(mainWindow)
    , m_picture(artwork(QStringLiteral("about.jpg")))
{
    setObjectName(QStringLiteral("Form3"));
    QPalette p = palette();
    p.setColor(QPalette::Window, Colors::Navy);
    setPalette(p);
    setMouseTracking(true);
    setMinimumSize(3 * BorderWidth + 2 * CornerReach, 3 * BorderWidth + 2 * CornerReach);
    // The client area lies where the window's definition puts it; the border goes round it.
    setGeometry(QRect(toPixels(4755), toPixels(3480), toPixels(6660), toPixels(3210))
                    .adjusted(-BorderWidth, -BorderWidth, BorderWidth, BorderWidth));
}

QRect Form3::clientRect() const { return rect().adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth); }

QRect Form3::clientGeometry() const { return clientRect().translated(geometry().topLeft()); }

Qt::Edges Form3::edgesAt(QPoint pos) const
{
    if (!rect().contains(pos)) return {};
    const int reachX = pos.y() < BorderWidth || pos.y() >= height() - BorderWidth ? CornerReach : BorderWidth;
    const int reachY = pos.x() < BorderWidth || pos.x() >= width() - BorderWidth ? CornerReach : BorderWidth;
    Qt::Edges edges;
    if (pos.x() < reachX) edges |= Qt::LeftEdge;
    if (pos.x() >= width() - reachX) edges |= Qt::RightEdge;
    if (pos.y() < reachY) edges |= Qt::TopEdge;
    if (pos.y() >= height() - reachY) edges |= Qt::BottomEdge;
    return edges;
}

void Form3::Form_Click()
{
    hide();
    m_mainWindow->show();
    m_mainWindow->setEnabled(true);
}

void Form3::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A raised frame in the button face, as a sizing border looks.
    const QPalette &pal = qApp->palette();
    QRegion border(rect());
    border -= QRegion(clientRect());
    for (const QRect &r : border)
        painter.fillRect(r, pal.color(QPalette::Button));
    qDrawWinPanel(&painter, rect(), pal, false, nullptr);
    // At its own size from the client area's top-left corner; what does not fit is cut off.
    painter.setClipRect(clientRect());
    painter.drawPixmap(clientRect().topLeft(), m_picture);
}

static Qt::CursorShape cursorFor(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom)) return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom)) return Qt::SizeBDiagCursor;
    if (left || right) return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

void Form3::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    m_pressedInClient = clientRect().contains(pos);
    m_pressedOnBorder = event->button() == Qt::LeftButton ? edgesAt(pos) : Qt::Edges();
    m_pressedAt = event->globalPosition().toPoint();
    m_geometryAtPress = geometry();
}

void Form3::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedOnBorder && (event->buttons() & Qt::LeftButton)) {
        // The resize starts with the drag, not with the press: a window
        // manager handed a mere click would go on resizing after it.
        const Qt::Edges edges = std::exchange(m_pressedOnBorder, {});
        if (windowHandle() && windowHandle()->startSystemResize(edges)) return;
        m_resizing = edges; // no window manager to do it: follow the pointer
    }
    if (!m_resizing) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if (edges)
            setCursor(cursorFor(edges));
        else
            unsetCursor();
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_pressedAt;
    QRect g = m_geometryAtPress;
    const QSize least = minimumSize();
    if (m_resizing & Qt::LeftEdge) g.setLeft(std::min(g.left() + d.x(), g.right() + 1 - least.width()));
    if (m_resizing & Qt::RightEdge) g.setRight(std::max(g.right() + d.x(), g.left() - 1 + least.width()));
    if (m_resizing & Qt::TopEdge) g.setTop(std::min(g.top() + d.y(), g.bottom() + 1 - least.height()));
    if (m_resizing & Qt::BottomEdge) g.setBottom(std::max(g.bottom() + d.y(), g.top() - 1 + least.height()));
    setGeometry(g);
}

void Form3::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressedOnBorder = {};
    if (m_resizing) {
        m_resizing = {};
        return;
    }
    // Only a click in the client area is a click on the window.
    if (m_pressedInClient && clientRect().contains(event->position().toPoint())) Form_Click();
    m_pressedInClient = false;
}

void Form3::closeEvent(QCloseEvent *event)
{
    // The window manager's close hands back as a click does. A hidden window
    // (the program has ended) hands nothing back.
    if (isVisible()) Form_Click();
    event->accept();
}
