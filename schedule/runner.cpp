// The schedule runner: alerts each task when its time comes, then drops it.
#include "shell/form1.h"

#include "platform/clock.h"
#include "platform/timer.h"
#include "schedule/textindex.h"

#include <QPersistentModelIndex>

void Form1::Command18_Click()
{
    Timer2->setEnabled(true);
    box(QStringLiteral("OK"));
}

void Form1::Timer2_Timer()
{
    // The tasks due now, fixed at the start of the tick. Persistent indexes
    // follow their rows while nested alerts remove others.
    const QString now = m_platform.clock.timeText();
    QList<QPersistentModelIndex> due;
    for (int row : m_timeIndex->rowsWithText(now))
        due.append(QPersistentModelIndex(List1->model()->index(row, 0)));

    for (const QPersistentModelIndex &task : due) {
        // Gone meanwhile, or its alert is still open further down the stack.
        if (!task.isValid() || m_openRunnerAlerts.contains(task)) continue;
        const int row = task.row();
        const QPersistentModelIndex text(List2->model()->index(row, 0));
        const QString message = List1->item(row)->text() + QLatin1Char(' ')
            + (text.isValid() ? text.data().toString() : QString()) + QStringLiteral(" 请单击“确定”按钮删除此消息");
        m_openRunnerAlerts.append(task);
        box(message, Buttons::Ok, BoxKind::Alert);
        m_openRunnerAlerts.removeOne(task);
        // Dismissed: remove this task, wherever nested removals have moved it.
        if (task.isValid()) removeTask(task.row(), text.isValid() ? text.row() : -1);
    }
}
