#include "schedule/textindex.h"

#include <QListWidget>

#include <algorithm>

TextIndex::TextIndex(QListWidget *list)
    : QObject()
    , m_list(list)
{
    QAbstractItemModel *model = list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
        [this](const QModelIndex &, int first, int last) { add(first, last); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this](const QModelIndex &, int first, int last) { remove(first, last); });
    // A row whose text changes in place is rare: index everything again.
    connect(model, &QAbstractItemModel::dataChanged, this, &TextIndex::rebuild);
    connect(model, &QAbstractItemModel::modelReset, this, &TextIndex::rebuild);
    rebuild();
}

QList<int> TextIndex::rowsWithText(const QString &text) const
{
    QList<int> rows;
    const auto found = m_byText.constFind(text);
    if (found == m_byText.constEnd()) return rows;
    for (QListWidgetItem *item : *found)
        rows.append(m_list->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TextIndex::add(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        QListWidgetItem *item = m_list->item(row);
        m_byText[item->text()].append(item);
    }
}

void TextIndex::remove(int first, int last)
{
    // Called before the rows go, while their items still hold their texts.
    for (int row = first; row <= last; ++row) {
        QListWidgetItem *item = m_list->item(row);
        const auto bucket = m_byText.find(item->text());
        if (bucket == m_byText.end()) continue;
        bucket->removeOne(item);
        if (bucket->isEmpty()) m_byText.erase(bucket);
    }
}

void TextIndex::rebuild()
{
    m_byText.clear();
    if (m_list->count() > 0) add(0, m_list->count() - 1);
}
