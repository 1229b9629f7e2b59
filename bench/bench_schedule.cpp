// Prints how long the schedule takes to build and to tick over at 100,
// 10,000 and 100,000 tasks.
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/tray.h"
#include "platform/wallclocktimer.h"
#include "shell/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

struct Schedule
{
    QStringList times, texts;
};

Schedule makeSchedule(int n)
{
    Schedule s;
    s.times.reserve(n);
    s.texts.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int second = (i * 7919) % 86400; // spread over the day
        s.times.append(QStringLiteral("%1:%2:%3")
                           .arg(second / 3600)
                           .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(second % 60, 2, 10, QLatin1Char('0')));
        s.texts.append(Form1::TaskPrefix + QStringLiteral("开会讨论第%1号方案").arg(i));
    }
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QtMessageBoxes boxes;
    SystemClock clock;
    clock.setTimeFormat(QStringLiteral("'never'")); // no row ever matches: ticks only look
    WallClockTimers timers;
    Files files;
    SystemTray tray;
    QTemporaryDir folder;
    const Platform platform{boxes, clock, timers, files, tray, folder.path()};

    std::printf("%-10s %16s %16s %18s %12s %12s\n", "tasks", "list build (ms)", "first paint (ms)", "runner tick (ms)",
        "save (ms)", "load (ms)");
    for (int n : {100, 10000, 100000}) {
        const Schedule s = makeSchedule(n);
        QList<double> builds, paints, ticks, saves, loads;
        for (int run = 0; run < 5; ++run) {
            Form1 form(platform);
            form.Timer1->setEnabled(false);
            form.Check1->setChecked(true);
            form.show();
            QCoreApplication::processEvents();
            QElapsedTimer t;
            t.start();
            form.List1->addItems(s.times);
            form.List2->addItems(s.texts);
            builds.append(t.nsecsElapsed() / 1e6);
            t.restart();
            form.repaint();
            QCoreApplication::processEvents();
            paints.append(t.nsecsElapsed() / 1e6);
            for (int i = 0; i < 200; ++i) {
                t.restart();
                form.Timer2_Timer();
                ticks.append(t.nsecsElapsed() / 1e6);
            }
            t.restart();
            if (!form.SaveTask().failures.isEmpty()) return 1;
            saves.append(t.nsecsElapsed() / 1e6);
            t.restart();
            form.InitTask();
            form.InitTime();
            loads.append(t.nsecsElapsed() / 1e6);
            if (form.List1->count() != n) return 1;
            form.List1->clear();
            form.List2->clear();
            form.SaveTask(); // the next start-up begins empty
        }
        std::printf("%-10d %16.2f %16.2f %18.4f %12.1f %12.1f\n", n, median(builds), median(paints), median(ticks),
            median(saves), median(loads));
    }
    return 0;
}
