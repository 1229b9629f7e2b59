// The mode switch and the editing of the paired task lists.
#include "shell/form1.h"

#include <QSignalBlocker>

void Form1::Check1_Click()
{
    const bool multi = Check1->value() == 1;
    Label16->setText(multi ? QStringLiteral("多任务模式") : QStringLiteral("单任务模式"));
    for (QWidget *w : Controls{List2, List1, Command9, Command10, Command11, Command18})
        w->setEnabled(multi);
    Command5->setEnabled(!multi);
    Command6->setEnabled(!multi);
    // Single-task mode hides nothing: the lists stay in view, disabled.
    if (!multi) return;
    for (QWidget *w : Controls{Command10, Command11, Command18, List1, List2, Label12})
        w->setVisible(true);
    // Shows the tools in the full layout when they were hidden.
    Check2->setValue(0);
}

void Form1::Command9_Click()
{
    if (Check1->value() != 1) return;
    if (Text1->text().isEmpty() || Text2->text().isEmpty() || Text3->text().isEmpty() || Text4->text().isEmpty()) {
        box(QStringLiteral("请输入具体的任务!"));
        return;
    }
    // A pasted line break becomes a blank: a task is one line in each file.
    List1->addItem(
        textfile::oneLine(Text1->text() + QLatin1Char(':') + Text2->text() + QLatin1Char(':') + Text3->text()));
    List2->addItem(textfile::oneLine(TaskPrefix + Label8->text()));
    for (TextBox *t : {Text1, Text2, Text3, Text4})
        t->setText(QString());
}

static int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void Form1::Command10_Click()
{
    const int row1 = selectedRow(List1);
    const int row2 = selectedRow(List2);
    if (row1 < 0 || row2 < 0) return;
    removeTask(row1, row2);
}

void Form1::removeTask(int row1, int row2)
{
    // Removing rows is no click on the lists: the delete button keeps its state.
    const QSignalBlocker block1(List1);
    const QSignalBlocker block2(List2);
    delete List1->takeItem(row1);
    delete List2->takeItem(row2);
    List1->clearSelection();
    List2->clearSelection();
}

void Form1::Command11_Click()
{
    if (List1->count() == 0 || List2->count() == 0) return;
    const QSignalBlocker block1(List1);
    const QSignalBlocker block2(List2);
    List1->clear();
    List2->clear();
}

// Selecting a row in either list selects the same row in the other, so that
// a deletion always takes one whole task.
void Form1::syncSelection(ListBox *from, ListBox *to)
{
    if (m_syncingSelection) return;
    m_syncingSelection = true;
    const int row = selectedRow(from);
    if (row >= 0 && row < to->count())
        to->setCurrentRow(row);
    else
        to->clearSelection();
    m_syncingSelection = false;
    Command10->setEnabled(selectedRow(List1) >= 0 && selectedRow(List2) >= 0);
}

void Form1::List1_Click() { syncSelection(List1, List2); }

void Form1::List2_Click() { syncSelection(List2, List1); }
