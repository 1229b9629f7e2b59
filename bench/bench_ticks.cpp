// Ticks of the wall-clock timer against a free-running QTimer, over a run of
// some minutes: which seconds got no tick or two, and how late into its second
// each tick came. Run it under CPU load to see the difference.
//
//   bench_ticks [--minutes M] [--nested]
//
// --nested: every 20th tick of the 1000 ms wall-clock timer, its handler runs a
// nested event loop for about 2.5 s, as a message box left open would.

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
#include <cstring>
#include <vector>

namespace {

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

struct Series
{
    const char *name;
    qint64 slotMs; // the span each tick should have to itself: 1000 or 500
    std::vector<qint64> ticks;
    int nestedTicks = 0; // ticks received while a nested loop ran
};

struct Summary
{
    qint64 slotCount = 0, ticks = 0, skipped = 0, doubled = 0;
    qint64 median = 0, p99 = 0, max = 0;
};

// Nearest-rank percentile of sorted values.
qint64 percentile(const std::vector<qint64> &sorted, double p)
{
    if (sorted.empty()) return 0;
    const auto rank = size_t(std::ceil(p * double(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

// Only slots wholly inside [from, to) count.
Summary summarise(const Series &s, qint64 from, qint64 to)
{
    Summary r;
    const qint64 first = from / s.slotMs, last = to / s.slotMs; // [first, last)
    std::vector<int> perSlot(size_t(last - first), 0);
    std::vector<qint64> offsets;
    for (qint64 t : s.ticks) {
        if (t < from || t >= to) continue;
        ++perSlot[size_t(t / s.slotMs - first)];
        offsets.push_back(t % s.slotMs);
    }
    r.slotCount = last - first;
    r.ticks = qint64(offsets.size());
    for (int n : perSlot) {
        if (n == 0) ++r.skipped;
        if (n >= 2) ++r.doubled;
    }
    std::sort(offsets.begin(), offsets.end());
    r.median = percentile(offsets, 0.5);
    r.p99 = percentile(offsets, 0.99);
    r.max = offsets.empty() ? 0 : offsets.back();
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    // The program is a widgets program; without a display, run offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    double minutes = 1.0;
    bool nested = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--minutes") && i + 1 < argc) {
            minutes = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--nested")) {
            nested = true;
        } else {
            std::fprintf(stderr, "usage: %s [--minutes M] [--nested]\n", argv[0]);
            return 2;
        }
    }
    if (!(minutes > 0)) {
        std::fprintf(stderr, "--minutes must be above 0\n");
        return 2;
    }

    Series wall1000{"WallClockTimer 1000 ms", 1000, {}};
    Series naive{"QTimer 1000 ms (coarse)", 1000, {}};
    Series precise{"QTimer 1000 ms (precise)", 1000, {}};
    Series wall500{"WallClockTimer 500 ms", 500, {}};
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
    std::printf("Measuring %lld s from %s%s ...\n", (long long)((to - from) / 1000),
        qPrintable(QDateTime::fromMSecsSinceEpoch(from).toString(Qt::ISODateWithMs)),
        nested ? ", with nested loops" : "");
    std::fflush(stdout);
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

    std::printf("free-running QTimers started %lld ms into a second; the monotonic clock's seconds begin %lld ms "
                "into the wall clock's\n",
        (long long)(freeStarted % 1000), (long long)monoPhase);
    std::printf("\n%-26s %7s %7s %8s %8s  %s\n", "timer", "slots", "ticks", "skipped", "doubled",
        "offset into slot, ms: median / p99 / max");
    for (const Series *s : {&wall1000, &naive, &precise, &wall500}) {
        const Summary r = summarise(*s, from, to);
        std::printf("%-26s %7lld %7lld %8lld %8lld  %6lld / %4lld / %4lld\n", s->name, (long long)r.slotCount,
            (long long)r.ticks, (long long)r.skipped, (long long)r.doubled, (long long)r.median, (long long)r.p99,
            (long long)r.max);
    }
    std::printf("(slots: seconds, or half-seconds for the 500 ms timer; skipped: slots with no tick; doubled: slots "
                "with two or more)\n");
    // When both wall-clock timers are late at the same moment, the whole
    // process was kept off the CPU, not the timer.
    for (const Series *s : {&wall1000, &wall500}) {
        std::vector<qint64> late;
        for (qint64 t : s->ticks)
            if (t >= from && t < to) late.push_back(t);
        std::sort(late.begin(), late.end(), [s](qint64 a, qint64 b) { return a % s->slotMs > b % s->slotMs; });
        std::printf("latest ticks of %s:", s->name);
        for (size_t i = 0; i < std::min<size_t>(3, late.size()); ++i)
            std::printf(" %s (+%lld)", qPrintable(QDateTime::fromMSecsSinceEpoch(late[i]).toString("HH:mm:ss.zzz")),
                (long long)(late[i] % s->slotMs));
        std::printf("\n");
    }
    if (nested) {
        std::printf("nested loops run: %d; ticks received inside them:\n", nestedLoops);
        for (const Series *s : {&wall1000, &naive, &precise, &wall500})
            std::printf("  %-26s %d\n", s->name, s->nestedTicks);
    }
    return 0;
}
