// Ticks of the wall-clock timer against a free-running QTimer, over a run of
// some minutes: which seconds got no tick or two, and how late into its second
// each tick came. Run it under CPU load to see the difference.
//
//   bench_ticks [--minutes M] [--nested]
//
// Prints one line per timer, wall1000, coarse1000 and precise1000 (the
// free-running QTimers) and wall500:
//   ticks timer=.. slot_ms=.. slots=.. skipped=.. doubled=.. n=.. median_ms=.. p99_ms=.. max_ms=..
// slots are the seconds (half-seconds) counted, skipped those with no tick,
// doubled those with two or more, n the ticks and the rest how late into its
// slot each came; with --nested also nested_ticks=.., those received inside
// a nested loop. Then where the free-running timers started, the latest
// ticks of the wall-clock timers and, with --nested, how many loops ran.
//
// --nested: every 20th tick of the 1000 ms wall-clock timer, its handler runs a
// nested event loop for about 2.5 s, as a message box left open would.

#include "bench/options.h"
#include "bench/stats.h"
#include "platform/wallclocktimer.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace bench;

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

struct Series
{
    const char *name;
    qint64 slotMs; // the span each tick should have to itself: 1000 or 500
    std::vector<qint64> ticks;
    int nestedTicks = 0; // ticks received while a nested loop ran
};

// Only slots wholly inside [from, to) count.
void report(const Series &s, qint64 from, qint64 to, bool nested)
{
    const qint64 first = from / s.slotMs, last = to / s.slotMs; // [first, last)
    std::vector<int> perSlot(size_t(last - first), 0);
    std::vector<qint64> offsets;
    for (qint64 t : s.ticks) {
        if (t < from || t >= to) continue;
        ++perSlot[size_t(t / s.slotMs - first)];
        offsets.push_back(t % s.slotMs);
    }
    Record line("ticks");
    line.text("timer", s.name)
        .count("slot_ms", s.slotMs)
        .count("slots", last - first)
        .count("skipped", std::count(perSlot.begin(), perSlot.end(), 0))
        .count("doubled", std::count_if(perSlot.begin(), perSlot.end(), [](int n) { return n >= 2; }))
        .summary(summarise(offsets), "ms", 0);
    if (nested) line.count("nested_ticks", s.nestedTicks);
    line.print();
}

} // namespace

int main(int argc, char **argv)
{
    // The program is a widgets program; without a display, run offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Options options(argc, argv, "[--minutes M] [--nested]");
    const double minutes = options.positive("--minutes", 1.0);
    const bool nested = options.flag("--nested");
    options.finish();

    Series wall1000{"wall1000", 1000, {}};
    Series naive{"coarse1000", 1000, {}};
    Series precise{"precise1000", 1000, {}};
    Series wall500{"wall500", 500, {}};
    for (Series *s : {&wall1000, &naive, &precise, &wall500})
        s->ticks.reserve(size_t(minutes * 60 * 2 + 100));

    int nestedDepth = 0, nestedLoops = 0;
    auto record = [&nestedDepth](Series &s) {
        s.ticks.push_back(nowMs());
        if (nestedDepth > 0) ++s.nestedTicks;
    };

    WallClockTimer timer1000(nullptr, 1000, true);
    WallClockTimer timer500(nullptr, 500, true);
    QObject::connect(&timer1000, &Timer::tick, [&] {
        record(wall1000);
        if (nested && wall1000.ticks.size() % 20 == 0) {
            ++nestedDepth;
            ++nestedLoops;
            QEventLoop loop;
            QTimer::singleShot(2500, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
            --nestedDepth;
        }
    });
    QObject::connect(&timer500, &Timer::tick, [&] { record(wall500); });

    // What a naive port does: a free-running timer of the default type,
    // started a few ms before a second begins.
    QTimer free;
    free.setInterval(1000);
    QObject::connect(&free, &QTimer::timeout, [&] { record(naive); });
    // The same with a precise timer, which keeps the phase it was started in.
    QTimer freePrecise;
    freePrecise.setInterval(1000);
    freePrecise.setTimerType(Qt::PreciseTimer);
    QObject::connect(&freePrecise, &QTimer::timeout, [&] { record(precise); });
    // Get there by sleeping until shortly before, then by watching the
    // clock; under load the watching may be cut short, so try again until a
    // start lands within a millisecond of the moment.
    qint64 freeStarted = 0;
    for (int attempt = 0; attempt < 30; ++attempt) {
        const qint64 target = (nowMs() / 1000 + 2) * 1000 - 3;
        QThread::msleep(ulong(target - 150 - nowMs()));
        while (nowMs() < target) { }
        free.start();
        freePrecise.start();
        freeStarted = nowMs();
        if (freeStarted <= target + 1) break;
        free.stop();
        freePrecise.stop();
    }

    // Count whole seconds only, from the second after all of them run.
    const qint64 from = (freeStarted / 1000 + 2) * 1000;
    const qint64 to = from + qint64(std::llround(minutes * 60.0)) * 1000;
    // Coarse timers snap to the seconds of the monotonic clock; where those
    // fall in the wall clock's second decides where the naive timer ticks.
    QElapsedTimer mono;
    mono.start();
    const qint64 monoPhase = ((nowMs() - mono.msecsSinceReference()) % 1000 + 1000) % 1000;
    std::fprintf(stderr, "measuring %lld s from %s%s ...\n", (long long)((to - from) / 1000),
        qPrintable(QDateTime::fromMSecsSinceEpoch(from).toString(Qt::ISODateWithMs)),
        nested ? ", with nested loops" : "");
    QTimer::singleShot(int(to + 600 - nowMs()), Qt::PreciseTimer, &app, [&] {
        // A nested loop still open would keep the handler below on the stack.
        if (nestedDepth == 0) app.quit();
    });
    QTimer guard; // in case the quit above came inside a nested loop
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (nowMs() >= to + 600 && nestedDepth == 0) app.quit();
    });
    guard.start(250);
    app.exec();

    for (const Series *s : {&wall1000, &naive, &precise, &wall500})
        report(*s, from, to, nested);
    Record("free_start").count("into_second_ms", freeStarted % 1000).count("monotonic_second_at_ms", monoPhase).print();
    // When both wall-clock timers are late at the same moment, the whole
    // process was kept off the CPU, not the timer.
    for (const Series *s : {&wall1000, &wall500}) {
        std::vector<qint64> late;
        for (qint64 t : s->ticks)
            if (t >= from && t < to) late.push_back(t);
        std::sort(late.begin(), late.end(), [s](qint64 a, qint64 b) { return a % s->slotMs > b % s->slotMs; });
        std::string at;
        for (size_t i = 0; i < std::min<size_t>(3, late.size()); ++i)
            at += (i ? "," : "") + QDateTime::fromMSecsSinceEpoch(late[i]).toString("HH:mm:ss.zzz").toStdString() + '+'
                + std::to_string(late[i] % s->slotMs);
        Record("latest_ticks").text("timer", s->name).text("at", at.empty() ? "-" : at).print();
    }
    if (nested) Record("nested").count("loops", nestedLoops).print();
    return 0;
}
