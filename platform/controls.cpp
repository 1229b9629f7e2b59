#include "platform/controls.h"

#include "platform/twips.h"

#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

void setColors(QWidget *control, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles)
{
    QPalette p = control->palette();
    for (const auto &[role, color] : roles)
        p.setColor(role, color);
    control->setPalette(p);
}

void setBackColor(QWidget *control, const QColor &color)
{
    setColors(control, {{QPalette::Window, color}});
    control->setAutoFillBackground(true);
}

void setFlatBorder(QFrame *control)
{
    control->setFrameShape(QFrame::Box);
    control->setFrameShadow(QFrame::Plain);
    control->setLineWidth(1);
}

QColor readableOn(const QColor &back, const QColor &text)
{
    auto luminance = [](const QColor &c) {
        auto linear = [](float v) { return v <= 0.03928f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f); };
        return 0.2126f * linear(c.redF()) + 0.7152f * linear(c.greenF()) + 0.0722f * linear(c.blueF());
    };
    auto contrast = [&](const QColor &c) {
        const auto [dark, light] = std::minmax({luminance(back), luminance(c)}); // by value, not of temporaries
        return (light + 0.05f) / (dark + 0.05f);
    };
    if (contrast(text) >= 3) return text;
    return contrast(Qt::black) >= contrast(Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

Label::Label(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    // A label is a control to the pointer: moving over it is not moving over the window.
    setAttribute(Qt::WA_NoMousePropagation);
    // Opaque labels without a colour of their own use the button face.
    setBackColor(this, palette().color(QPalette::Button));
}

void Label::setTransparent()
{
    setAutoFillBackground(false);
    setForeColor(readableOn(parentWidget()->palette().color(QPalette::Window), palette().color(QPalette::WindowText)));
}

void Label::setForeColor(const QColor &color) { setColors(this, {{QPalette::WindowText, color}}); }

Shape::Shape(QWidget *parent, const QColor &border, int borderWidth)
    : QWidget(parent)
    , m_border(border)
    , m_borderWidth(borderWidth)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setBounds(const QRect &pixels)
{
    m_bounds = pixels;
    const int pad = (m_borderWidth + 1) / 2;
    setGeometry(pixels.adjusted(-pad, -pad, pad, pad));
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int pad = (m_borderWidth + 1) / 2;
    const QRect outline(pad, pad, m_bounds.width(), m_bounds.height());
    // Fill the band the border covers, centred on the outline.
    const int in = m_borderWidth / 2;
    QRegion band(outline.adjusted(-pad, -pad, pad, pad));
    band -= QRegion(outline.adjusted(in, in, -in, -in));
    for (const QRect &r : band)
        painter.fillRect(r, m_border);
}

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::setPicture(const QPixmap &picture, bool autoSize)
{
    m_picture = picture;
    if (autoSize && !picture.isNull()) resize(picture.deviceIndependentSize().toSize());
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    // Drawn at its own size from the top-left corner; what does not fit is cut off.
    if (!m_picture.isNull()) QPainter(this).drawPixmap(0, 0, m_picture);
}

CommandButton::CommandButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setAutoDefault(false);
}

void CommandButton::setGraphical(bool graphical)
{
    m_graphical = graphical;
    setPalette(QPalette()); // back to the inherited button face
    if (!graphical) return;
    QPalette p = palette();
    p.setColor(QPalette::Button, Colors::PaleGreen);
    // Disabled text is faint by design; only the live groups are made readable.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::ButtonText, readableOn(Colors::PaleGreen, p.color(group, QPalette::ButtonText)));
    setPalette(p);
}

void CommandButton::setFlatLook(bool flat)
{
    m_flatLook = flat;
    update();
}

void CommandButton::paintEvent(QPaintEvent *event)
{
    if (!m_flatLook) {
        QPushButton::paintEvent(event);
        return;
    }
    // Flat: a plain face with a one-pixel border instead of the raised bevel.
    QPainter painter(this);
    const QPalette &pal = palette();
    const bool down = isDown();
    painter.fillRect(rect(), pal.color(down ? QPalette::Midlight : QPalette::Button));
    painter.setPen(pal.color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect().translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::Shadow), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

void TextBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    // Every row is one line of the same font: lets large schedules lay out fast.
    setUniformItemSizes(true);
}

CheckBox::CheckBox(const QString &caption, QWidget *parent)
    : QCheckBox(caption, parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

void CheckBox::setColors(const QColor &back, const QColor &fore)
{
    ::setColors(this, {{QPalette::Window, back}, {QPalette::WindowText, fore}});
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
}

QRect CheckBox::indicatorRect() const
{
    QStyleOptionButton opt;
    initStyleOption(&opt);
    return style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
}

void CheckBox::paintEvent(QPaintEvent *event)
{
    // The caption and the focus as the style draws them; the box itself flat, over the style's.
    QCheckBox::paintEvent(event);
    QPainter painter(this);
    const QPalette &pal = palette();
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QRect box = indicatorRect();
    painter.fillRect(box, pal.color(group, isEnabled() && !isDown() ? QPalette::Base : QPalette::Button));
    painter.setPen(pal.color(group, QPalette::Shadow));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    if (isChecked()) {
        // A tick, drawn with square pixels, as the flat box has no bevel to blend into.
        const QRect in = box.adjusted(3, 3, -3, -3);
        const QPointF tick[] = {QPointF(in.left(), in.center().y()), QPointF(in.left() + in.width() / 3.0, in.bottom()),
            QPointF(in.right(), in.top())};
        painter.setPen(QPen(pal.color(group, QPalette::Text), 2));
        painter.drawPolyline(tick, 3);
    }
}

static void setBounds(QWidget *control, const QRect &r)
{
    if (auto *shape = qobject_cast<Shape *>(control))
        shape->setBounds(r);
    else
        control->setGeometry(r);
}

static QRect boundsOf(const QWidget *control)
{
    if (auto *shape = qobject_cast<const Shape *>(control)) return shape->bounds();
    return control->geometry();
}

void setTwipsGeometry(QWidget *control, int left, int top, int width, int height)
{
    setBounds(control, QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height)));
}

void setTwipsTop(QWidget *control, float top)
{
    setBounds(control, boundsOf(control).translated(0, toPixels(top) - boundsOf(control).top()));
}

float twipsLeft(const QWidget *control) { return toTwips(boundsOf(control).left()); }
float twipsTop(const QWidget *control) { return toTwips(boundsOf(control).top()); }
float twipsWidth(const QWidget *control) { return toTwips(boundsOf(control).width()); }
float twipsHeight(const QWidget *control) { return toTwips(boundsOf(control).height()); }
