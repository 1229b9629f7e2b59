// The wall-clock timer, driven by a hand-set clock: its wake-up timer is fired
// by hand, so nothing here waits for real time.

#include "platform/wallclocktimer.h"

#include <QObject>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

// A WallClockTimer on a clock the test sets, woken by hand.
struct Rig
{
    qint64 now;
    int ticks = 0;
    std::unique_ptr<WallClockTimer> timer;
    QTimer *wake = nullptr;

    Rig(qint64 start, int intervalMs, bool enabled = true)
        : now(start)
    {
        timer = std::make_unique<WallClockTimer>(nullptr, intervalMs, enabled, [this] { return now; });
        wake = timer->findChild<QTimer *>();
        QObject::connect(timer.get(), &Timer::tick, [this] { ++ticks; });
    }
    // The wake-up timer fires at the given moment of the wall clock.
    void wakeAt(qint64 when)
    {
        now = when;
        QMetaObject::invokeMethod(wake, "timeout", Qt::DirectConnection);
    }
    // How long the timer has asked to sleep, or -1 when it is not armed.
    int armedFor() const { return wake->isActive() ? wake->interval() : -1; }
};

// One step of a script: at a moment of the wall clock the wake-up timer fires,
// or the owner enables, disables or sets the interval; then the ticks so far
// and how long the timer sleeps (-1: not armed).
enum Action { Wake, Enable, Disable, SetInterval };
struct Step
{
    qint64 at;
    int ticks;
    int armed;
    Action action = Wake;
    int interval = 0;
};
struct Script
{
    const char *name;
    int interval;
    qint64 start;
    bool enabled;
    int armed; // right after construction
    std::vector<Step> steps;
};

const Script scripts[] = {
    {"arms for the next second", 1000, 10'500, true, 503, {{11'003, 1, 1000}}},
    {"enabled just after a boundary waits for the next second", 1000, 10'001, true, 1002, {{10'003, 0, 1000}}},
    {"early wake-up re-arms without ticking", 1000, 10'500, true, 503, {{10'999, 0, 4}, {11'003, 1, 1000}}},
    {"late wake-up ticks once for the second it is in", 1000, 10'500, true, 503,
        {{13'700, 1, 303}, {13'800, 1, 203}, {14'003, 2, 1000}}},
    // Due at 11.003, woken at 12.001: that tick is second 12's.
    {"late wake-up inside the margin is not ticked twice", 1000, 10'500, true, 503,
        {{12'001, 1, 1002}, {12'003, 1, 1000}}},
    {"half seconds tick twice a second", 500, 10'100, true, 403,
        {{10'503, 1, 500}, {11'003, 2, 500}, {11'503, 3, 500}}},
    {"clock set forward ticks once, not a burst", 1000, 10'500, true, 503, {{3'611'003, 1, 1000}, {3'611'500, 1, 503}}},
    // An hour back: the next wake-up is in a second long gone, and ticks
    // rather than waiting an hour for the old time to come again.
    {"clock set back keeps ticking", 1000, 3'600'500, true, 503,
        {{3'601'003, 1, 1000}, {2'003, 2, 1000}, {3'003, 3, 1000}}},
    // The wait was a second, but the clock lost 300 ms.
    {"clock set back within the second waits for its end", 1000, 10'500, true, 503,
        {{11'003, 1, 1000}, {11'700, 1, 303}}},
    {"long interval ticks one interval after enabling", 3000, 10'250, true, 3000,
        {{10'253, 0, 2997}, {13'250, 1, 3000}}},
    {"long interval keeps its phase after a late wake-up", 3000, 10'250, true, 3000, {{13'900, 1, 2350}}},
    {"setting the interval starts a fresh phase", 3000, 10'250, true, 3000,
        {{11'000, 0, 3000, SetInterval, 3000}, {11'000, 0, 1003, SetInterval, 1000}}},
    {"disabled timer is not armed", 1000, 10'500, false, -1, {{10'500, 0, 503, Enable}, {10'500, 0, -1, Disable}}},
    {"re-enabling in the same second does not tick it again", 1000, 10'500, true, 503,
        {{11'003, 1, 1000}, {11'400, 1, -1, Disable}, {11'400, 1, 603, Enable}, {11'500, 1, 503}}},
    {"zero interval never ticks", 0, 10'500, true, -1,
        {{10'500, 0, 503, SetInterval, 500}, {10'500, 0, -1, SetInterval, -5}}},
};

} // namespace

class TestWallClock : public QObject
{
    Q_OBJECT

private slots:
    // The arithmetic on its own.
    void slotsAndDelays_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<qint64>("enabledAt");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<qint64>("slot");
        QTest::addColumn<qint64>("delay");
        // Interval, moment enabled, now: now's slot and the wait for the next tick.
        // Divisors of a second follow the clock (and a clock set before the
        // epoch still counts down whole seconds); other intervals their own phase.
        const qint64 rows[][5] = {{1000, 123456, 10'000, 10, 1003}, {1000, 123456, 10'500, 10, 503},
            {1000, 123456, 10'999, 10, 4}, {1000, 123456, 9'999, 9, 4}, {1000, 123456, -1, -1, 4},
            {1000, 123456, -500, -1, 503}, {1000, 123456, -1000, -1, 1003}, {1000, 123456, -1001, -2, 4},
            {500, 0, 10'200, 20, 303}, {500, 0, 10'499, 20, 4}, {500, 0, 10'500, 21, 503}, {500, 0, 10'700, 21, 303},
            {250, 777, 777, 3, 226}, {300, 777, 777, 0, 300}, {2000, 777, 777, 0, 2000}, {3000, 777, 777, 0, 3000},
            {60000, 777, 777, 0, 60000}};
        for (const auto &r : rows)
            QTest::addRow("%lld ms from %lld, at %lld", r[0], r[1], r[2]) << int(r[0]) << r[1] << r[2] << r[3] << r[4];
    }
    void slotsAndDelays()
    {
        QFETCH(int, interval);
        QFETCH(qint64, enabledAt);
        QFETCH(qint64, now);
        const WallClockSlots s = WallClockTimer::slotsFor(interval, enabledAt);
        QTEST(s.slotAt(now), "slot");
        QTEST(s.delayToNext(now), "delay");
    }

    // Ticks against the wall clock, set forward or back, enabled, disabled.
    void scripted_data()
    {
        QTest::addColumn<int>("script");
        for (int i = 0; i < int(std::size(scripts)); ++i)
            QTest::newRow(scripts[i].name) << i;
    }
    void scripted()
    {
        QFETCH(int, script);
        const Script &s = scripts[script];
        Rig r(s.start, s.interval, s.enabled);
        QVERIFY(r.wake);
        QCOMPARE(r.wake->timerType(), Qt::PreciseTimer);
        QVERIFY(r.wake->isSingleShot());
        QCOMPARE(r.armedFor(), s.armed);
        bool enabled = s.enabled;
        int interval = s.interval;
        for (const Step &step : s.steps) {
            if (step.action == Wake) {
                r.wakeAt(step.at);
            } else {
                r.now = step.at;
                if (step.action == SetInterval) r.timer->setInterval(interval = step.interval);
                if (step.action != SetInterval) r.timer->setEnabled(enabled = step.action == Enable);
            }
            QCOMPARE(r.ticks, step.ticks);
            QCOMPARE(r.armedFor(), step.armed);
            QCOMPARE(r.timer->isEnabled(), enabled);
            QCOMPARE(r.timer->interval(), interval);
        }
    }

    // Handlers that do more than return.
    void handlerFindsTheTimerReArmedAndMayStopIt()
    {
        Rig r(10'500, 1000);
        int armedInHandler = -2;
        QObject::connect(r.timer.get(), &Timer::tick, [&] {
            armedInHandler = r.armedFor();
            r.timer->setEnabled(false);
        });
        r.wakeAt(11'003);
        QCOMPARE(armedInHandler, 1000);
        QCOMPARE(r.ticks, 1);
        QVERIFY(!r.timer->isEnabled());
        QCOMPARE(r.armedFor(), -1);
    }
    void ticksReachAHandlerStillRunningANestedLoop()
    {
        // The first handler stays in "its message box" for two more seconds,
        // during which the timer wakes and ticks inside it.
        Rig r(10'500, 1000);
        int depth = 0, deepest = 0;
        QObject::connect(r.timer.get(), &Timer::tick, [&] {
            ++depth;
            deepest = std::max(deepest, depth);
            if (r.ticks == 1) {
                r.wakeAt(12'004);
                r.wakeAt(13'003);
            }
            --depth;
        });
        r.wakeAt(11'003);
        QCOMPARE(r.ticks, 3);
        QCOMPARE(deepest, 2);
        // The outer handler returning leaves the innermost arming in place.
        QCOMPARE(r.armedFor(), 1000);
        r.wakeAt(13'500);
        QCOMPARE(r.ticks, 3);
    }

    void factoryNamesAndParentsItsTimers()
    {
        QObject owner;
        WallClockTimers factory;
        Timer *t = factory.create(&owner, QStringLiteral("Timer2"), 500, false);
        QCOMPARE(t->parent(), &owner);
        QCOMPARE(t->objectName(), QStringLiteral("Timer2"));
        QCOMPARE(t->interval(), 500);
        QVERIFY(!t->isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestWallClock)
#include "tst_wallclock.moc"
