#include "platform/messageboxes.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Qt's own text for the button, from its translations rather than from the
// desktop's theme (which follows the system's language), and no icon, which
// some styles put on dialog buttons.
QPushButton *addButton(QMessageBox &box, QMessageBox::StandardButton which, const char *text)
{
    QPushButton *button = box.addButton(which);
    button->setText(QCoreApplication::translate("QPlatformTheme", text));
    button->setIcon(QIcon());
    return button;
}

} // namespace

Answer QtMessageBoxes::show(const QString &text, Buttons buttons, const QString &title)
{
    // No parent: a box must come up even while the main window is hidden.
    QMessageBox box(QMessageBox::NoIcon, title, text);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *ok = addButton(box, QMessageBox::Ok, "OK");
    if (buttons == Buttons::OkCancel)
        box.setEscapeButton(addButton(box, QMessageBox::Cancel, "Cancel"));
    else
        box.setEscapeButton(ok);
    box.setDefaultButton(ok);
    box.exec();
    // Esc and the close box click the escape button, so only a real OK is OK.
    return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}
