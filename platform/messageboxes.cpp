#include "platform/messageboxes.h"

#include <QMessageBox>
#include <QPushButton>

Answer QtMessageBoxes::show(const QString &text, Buttons buttons, const QString &title)
{
    // No parent: a box must come up even while the main window is hidden.
    QMessageBox box(QMessageBox::NoIcon, title, text);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    if (buttons == Buttons::OkCancel)
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    else
        box.setEscapeButton(ok);
    box.setDefaultButton(ok);
    box.exec();
    // Esc and the close box click the escape button, so only a real OK is OK.
    return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}
