#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class QListWidget;
class QListWidgetItem;

// Finds the rows of a list box whose text equals a given text without
// walking the list, so that a tick over a very large schedule stays cheap.
// It follows every change of the list through its model's signals, so it
// must go before the list does: the list's model announces a reset while it
// is being destroyed, when the list can no longer be asked anything.
class TextIndex : public QObject
{
    Q_OBJECT
public:
    explicit TextIndex(QListWidget *list);

    // The rows holding exactly text, in list order.
    QList<int> rowsWithText(const QString &text) const;

private:
    void add(int first, int last);
    void remove(int first, int last);
    void rebuild();

    QListWidget *m_list;
    // Rows rarely share a time, so each bucket is short.
    QHash<QString, QList<QListWidgetItem *>> m_byText;
};
