// The two task list files beside the program: texts in Task.sts, times in Time.stt.
#include "shell/form1.h"

#include "platform/files.h"

#include <QSignalBlocker>

namespace {

const QString TaskFile = QStringLiteral("Task.sts");
const QString TimeFile = QStringLiteral("Time.stt");

QStringList rowsOf(const QListWidget *list)
{
    QStringList rows;
    rows.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

} // namespace

void Form1::loadList(ListBox *list, const QString &name)
{
    const QSignalBlocker block(list);
    list->clear();
    // Every line is loaded: the saver writes every row, so nothing may be left behind.
    if (const auto lines = m_platform.files.readLines(m_platform.files.find(m_platform.folder, name)))
        list->addItems(*lines);
}

void Form1::InitTask()
{
    // Loaded first: a save cut short is completed (or undone) before either
    // file is read, so the two always pair.
    m_platform.files.finishSave(m_platform.folder, {TaskFile, TimeFile});
    loadList(List2, TaskFile);
}

void Form1::InitTime() { loadList(List1, TimeFile); }

void Form1::pairLoadedLists()
{
    // Files edited elsewhere may differ in length. Pad the shorter list rather
    // than drop anything: an empty time never fires, and a bare prefix is a
    // task without text.
    const QSignalBlocker block1(List1);
    const QSignalBlocker block2(List2);
    const int rows = qMax(List1->count(), List2->count());
    while (List1->count() < rows)
        List1->addItem(QString());
    while (List2->count() < rows)
        List2->addItem(TaskPrefix);
}

// An empty list leaves no file behind, in whatever letter case it was.
static textfile::FileUpdate updateOf(const QListWidget *list, const QString &name)
{
    if (list->count() == 0) return {name, std::nullopt};
    return {name, rowsOf(list)};
}

textfile::SaveOutcome Form1::SaveTask()
{
    // Row i of both files is task i: the texts and the times are saved as one
    // record, both new or both old.
    return m_platform.files.saveTogether(m_platform.folder, {updateOf(List2, TaskFile), SaveTime()});
}

// The times' part of the record that SaveTask saves.
textfile::FileUpdate Form1::SaveTime() { return updateOf(List1, TimeFile); }
