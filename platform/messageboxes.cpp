#include "platform/messageboxes.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QTextFrame>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Qt's own text for the button, from its translations rather than from the
// desktop's theme (which follows the system's language), and no icon, which
// some styles put on dialog buttons.
QPushButton *addButton(QDialogButtonBox *buttons, QDialogButtonBox::StandardButton which, const char *text)
{
    QPushButton *button = buttons->addButton(which);
    button->setText(QCoreApplication::translate("QPlatformTheme", text));
    button->setIcon(QIcon());
    return button;
}

// Sizes the text to its lines, wrapped at most half the screen wide, and
// caps the box at three quarters of the screen's height (room for any
// window manager's frame); beyond that the text scrolls.
void fitToScreen(QDialog &box, QTextEdit *view, QWidget *buttons)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    const QRect area = (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    QTextDocument *doc = view->document();
    doc->setTextWidth(-1);
    const int width = qMin(qCeil(doc->idealWidth()), qMin(area.width() / 2, 500));
    doc->setTextWidth(width);
    const QMargins m = box.layout()->contentsMargins();
    const int rest = m.top() + m.bottom() + box.layout()->spacing() + buttons->sizeHint().height();
    const int room = area.height() * 3 / 4 - rest;
    const int height = qCeil(doc->size().height());
    const int bar = height > room ? view->verticalScrollBar()->sizeHint().width() : 0;
    view->setFixedSize(width + bar, qMin(height, room));
    // Wide enough for the title, as Qt's own boxes are.
    buttons->setMinimumWidth(box.fontMetrics().horizontalAdvance(box.windowTitle()) + 50 - m.left() - m.right());
}

// Qt asks the window manager to activate a modal window as it maps it:
// an alert refuses the focus until it is on the screen, and from then on
// takes it as any window does, from the user's click.
class FocusOnceShown : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window->isExposed())
            window->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        return false;
    }
};

} // namespace

Answer QtMessageBoxes::show(const QString &text, Buttons buttons, const QString &title, BoxKind kind)
{
    // No parent: a box must come up even while the main window is hidden.
    QDialog box;
    box.setWindowTitle(title);
    box.setWindowModality(Qt::ApplicationModal);
    FocusOnceShown focusOnceShown;
    if (kind == BoxKind::Alert) {
        // Above every other window, and a window of its own rather than the
        // main window's dialog: window managers neither put it on the main
        // window's desktop nor hand the keyboard to the main window after it.
        box.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
        box.setAttribute(Qt::WA_ShowWithoutActivating); // what Windows maps it by; X needs the flag alone
        box.winId();
        box.windowHandle()->installEventFilter(&focusOnceShown);
    }
    auto *view = new QTextEdit;
    view->setPlainText(text);
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->setFocusPolicy(Qt::NoFocus); // the keys go to the buttons, as in any box
    view->viewport()->setAutoFillBackground(false);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Indented and spaced as Qt's own message boxes have their text.
    QTextFrameFormat margins;
    margins.setLeftMargin(21);
    margins.setBottomMargin(6);
    view->document()->rootFrame()->setFrameFormat(margins);
    auto *row = new QDialogButtonBox;
    addButton(row, QDialogButtonBox::Ok, "OK"); // the default, as the first to accept
    if (buttons == Buttons::OkCancel) addButton(row, QDialogButtonBox::Cancel, "Cancel");
    QObject::connect(row, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(row, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto *layout = new QVBoxLayout(&box);
    layout->addWidget(view);
    layout->addWidget(row);
    layout->setSizeConstraint(QLayout::SetFixedSize); // as large as its contents, no larger
    fitToScreen(box, view, row);
    const bool accepted = box.exec() == QDialog::Accepted;
    // OK is the only answer a box with OK alone can get; Esc and the close box
    // refuse one with Cancel.
    return buttons == Buttons::Ok || accepted ? Answer::Ok : Answer::Cancel;
}
