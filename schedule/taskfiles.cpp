// The two task list files beside the program: texts in Task.sts, times in Time.stt.
#include "shell/form1.h"

#include "platform/files.h"

#include <QFileInfo>
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

void Form1::InitTask() { loadList(List2, TaskFile); }

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

std::optional<FileFailure> Form1::saveList(const ListBox *list, const QString &name)
{
    const QString path = m_platform.files.find(m_platform.folder, name);
    if (list->count() > 0) return m_platform.files.writeLines(path, rowsOf(list));
    // Whatever the case of its name, no file may stay to bring old tasks back.
    QString existing = path;
    for (int guard = 0; QFileInfo::exists(existing) && guard < 64; ++guard) {
        if (auto failure = m_platform.files.remove(existing)) return failure;
        existing = m_platform.files.find(m_platform.folder, name);
    }
    return std::nullopt;
}

QList<FileFailure> Form1::SaveTask()
{
    // Both files are tried, whatever happens to the first.
    QList<FileFailure> failures;
    if (auto failure = saveList(List2, TaskFile)) failures.append(*failure);
    failures += SaveTime();
    return failures;
}

QList<FileFailure> Form1::SaveTime()
{
    QList<FileFailure> failures;
    if (auto failure = saveList(List1, TimeFile)) failures.append(*failure);
    return failures;
}
