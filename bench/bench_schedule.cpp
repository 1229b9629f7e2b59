// How long the schedule takes to build, paint, tick over, save and load at
// 100, 10,000 and 100,000 tasks, the medians of five runs, one line each:
//   schedule tasks=.. runs=5 build_ms=.. paint_ms=.. tick_ms=.. save_ms=.. load_ms=..

#include "bench/stats.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/tray.h"
#include "platform/wallclocktimer.h"
#include "shell/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <vector>

namespace {

constexpr int runs = 5;

double median(const std::vector<double> &v) { return bench::summarise(v).median; }

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

    for (int n : {100, 10000, 100000}) {
        const Schedule s = makeSchedule(n);
        std::vector<double> builds, paints, ticks, saves, loads;
        for (int run = 0; run < runs; ++run) {
            Form1 form(platform);
            form.Timer1->setEnabled(false);
            form.Check1->setChecked(true);
            form.show();
            QCoreApplication::processEvents();
            QElapsedTimer t;
            t.start();
            form.List1->addItems(s.times);
            form.List2->addItems(s.texts);
            builds.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            form.repaint();
            QCoreApplication::processEvents();
            paints.push_back(t.nsecsElapsed() / 1e6);
            for (int i = 0; i < 200; ++i) {
                t.restart();
                form.Timer2_Timer();
                ticks.push_back(t.nsecsElapsed() / 1e6);
            }
            t.restart();
            if (!form.SaveTask().failures.isEmpty()) return 1;
            saves.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            form.InitTask();
            form.InitTime();
            loads.push_back(t.nsecsElapsed() / 1e6);
            if (form.List1->count() != n) return 1;
            form.List1->clear();
            form.List2->clear();
            form.SaveTask(); // the next start-up begins empty
        }
        bench::Record("schedule")
            .count("tasks", n)
            .count("runs", runs)
            .number("build_ms", median(builds), 2)
            .number("paint_ms", median(paints), 2)
            .number("tick_ms", median(ticks), 4)
            .number("save_ms", median(saves))
            .number("load_ms", median(loads))
            .print();
    }
    return 0;
}
