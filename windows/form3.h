#pragma once

#include <QPixmap>
#include <QWidget>

// The about window: one picture; a click anywhere in it gives the main
// window back. It has a sizing border and no title bar.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(QWidget *mainWindow);

    // Window managers give a window without a title no border either, so the
    // window draws its own sizing border round the client area.
    static constexpr int BorderWidth = 4;
    // The client area, where the picture lies, in the window's coordinates.
    QRect clientRect() const;
    // The client area on the screen.
    QRect clientGeometry() const;
    // The sides of the border at a point of the window; none in the client area.
    Qt::Edges edgesAt(QPoint pos) const;

    void Form_Click();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_mainWindow;
    QPixmap m_picture;
    bool m_pressedInClient = false;
    Qt::Edges m_pressedOnBorder;
    // A resize the window does itself, where the window system offers none.
    Qt::Edges m_resizing;
    QPoint m_pressedAt;
    QRect m_geometryAtPress;
};
