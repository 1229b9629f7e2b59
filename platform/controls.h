#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include <initializer_list>
#include <utility>

// The kinds of control the windows are built from, with the looks their
// definitions ask for. Geometry is set in twips through setTwipsGeometry.

// Colours of the window definitions.
namespace Colors {
inline const QColor Olive{192, 192, 0};
inline const QColor PaleGreen{192, 255, 192};
inline const QColor Teal{0, 128, 128};
inline const QColor LightYellow{255, 255, 192};
inline const QColor HoverYellow{255, 255, 128};
inline const QColor Purple{128, 0, 128};
inline const QColor PaleCyan{128, 255, 255};
inline const QColor Peach{255, 224, 192};
inline const QColor Navy{0, 0, 128};
} // namespace Colors

// Makes these colour roles the control's own; every other role still follows
// its parent, so the desktop's palette shows through where nothing is set.
void setColors(QWidget *control, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles);
// An opaque control (a label, a picture box) paints its background in color.
void setBackColor(QWidget *control, const QColor &color);
// A plain one-pixel border instead of the sunken one.
void setFlatBorder(QFrame *control);
// text, unless it would all but vanish on back (below 3:1, the least contrast
// WCAG allows large text): then black or white, whichever reads better. A
// dark desktop's light text meets the pale colours of the window definitions,
// and their purple its dark fields.
QColor readableOn(const QColor &back, const QColor &text);

// Drawn on the window's surface, under every windowed control.
class Label : public QLabel
{
    Q_OBJECT
public:
    explicit Label(QWidget *parent);
    // A transparent label shows the window's surface instead of its own colour.
    void setTransparent();
    void setForeColor(const QColor &color);
};

// A rectangle outline. It takes no pointer events. Its bounds are the outline
// itself; the border is centred on them, so around a control only the outer
// half of the border shows.
class Shape : public QWidget
{
    Q_OBJECT
public:
    Shape(QWidget *parent, const QColor &border, int borderWidth);
    QRect bounds() const { return m_bounds; }
    void setBounds(const QRect &pixels);
    int borderWidth() const { return m_borderWidth; }
    QColor borderColor() const { return m_border; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor m_border;
    int m_borderWidth;
    QRect m_bounds;
};

class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent);
    void setPicture(const QPixmap &picture, bool autoSize = false);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap m_picture;
};

// Every command button stores the background colour PaleGreen; only a graphical one shows it.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    CommandButton(const QString &caption, QWidget *parent);
    bool isGraphical() const { return m_graphical; }
    void setGraphical(bool graphical);
    void setFlatLook(bool flat);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_graphical = false;
    bool m_flatLook = false;
};

// Text boxes and check boxes are flat: a plain one-pixel border instead of the sunken one.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent);
    void setBackColor(const QColor &color) { setColors(this, {{QPalette::Base, color}}); }
    void setForeColor(const QColor &color) { setColors(this, {{QPalette::Text, color}}); }

protected:
    void paintEvent(QPaintEvent *event) override;
};

class ListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent);
};

class CheckBox : public QCheckBox
{
    Q_OBJECT
public:
    CheckBox(const QString &caption, QWidget *parent);
    void setColors(const QColor &back, const QColor &fore);
    // 1 checked, 0 unchecked.
    int value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value == 1); }
    // Where the box is drawn, in the control's coordinates.
    QRect indicatorRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Twips geometry of any control; a Shape reports its outline.
void setTwipsGeometry(QWidget *control, int left, int top, int width, int height);
void setTwipsTop(QWidget *control, float top);
float twipsLeft(const QWidget *control);
float twipsTop(const QWidget *control);
float twipsWidth(const QWidget *control);
float twipsHeight(const QWidget *control);
