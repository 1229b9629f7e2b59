// The wall-clock timer, driven by a hand-set clock: its wake-up timer is fired
// by hand, so nothing here waits for real time.

#include "platform/wallclocktimer.h"

#include <QObject>
#include <QTest>
#include <QTimer>

#include <memory>

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

} // namespace

class TestWallClock : public QObject
{
    Q_OBJECT

private slots:
    // The arithmetic on its own.
    void slotsOfWholeSeconds()
    {
        const WallClockSlots s = WallClockTimer::slotsFor(1000, 123456);
        QCOMPARE(s.slotAt(10'000), 10);
        QCOMPARE(s.slotAt(10'999), 10);
        QCOMPARE(s.slotAt(9'999), 9);
        // A clock set before the epoch still counts down whole seconds.
        QCOMPARE(s.slotAt(-1), -1);
        QCOMPARE(s.slotAt(-1000), -1);
        QCOMPARE(s.slotAt(-1001), -2);
        QCOMPARE(s.delayToNext(10'500), 503);
        QCOMPARE(s.delayToNext(10'000), 1003);
        QCOMPARE(s.delayToNext(9'999), 4);
        QCOMPARE(s.delayToNext(-500), 503);
    }
    void slotsOfHalfSeconds()
    {
        const WallClockSlots s = WallClockTimer::slotsFor(500, 0);
        QCOMPARE(s.slotAt(10'499), 20);
        QCOMPARE(s.slotAt(10'500), 21);
        QCOMPARE(s.delayToNext(10'200), 303);
        QCOMPARE(s.delayToNext(10'700), 303);
    }
    void onlyDivisorsOfASecondFollowTheClock()
    {
        QCOMPARE(WallClockTimer::slotsFor(250, 777).origin, 0);
        QCOMPARE(WallClockTimer::slotsFor(250, 777).offset, WallClockTimer::offsetMs);
        for (int interval : {300, 2000, 3000, 60000}) {
            const WallClockSlots s = WallClockTimer::slotsFor(interval, 777);
            QCOMPARE(s.origin, 777);
            QCOMPARE(s.offset, 0);
            QCOMPARE(s.slotAt(777), 0);
            QCOMPARE(s.delayToNext(777), interval);
        }
    }

    // Ticks against the wall clock.
    void armsPreciselyForTheNextSecond()
    {
        Rig r(10'500, 1000);
        QVERIFY(r.wake);
        QCOMPARE(r.wake->timerType(), Qt::PreciseTimer);
        QVERIFY(r.wake->isSingleShot());
        QCOMPARE(r.armedFor(), 503);
        r.wakeAt(11'003);
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 1000);
    }
    void enablingJustAfterABoundaryWaitsForTheNextSecond()
    {
        Rig r(10'001, 1000);
        QCOMPARE(r.armedFor(), 1002);
        r.wakeAt(10'003);
        QCOMPARE(r.ticks, 0);
    }
    void earlyWakeUpReArmsWithoutTicking()
    {
        Rig r(10'500, 1000);
        r.wakeAt(10'999);
        QCOMPARE(r.ticks, 0);
        QCOMPARE(r.armedFor(), 4);
        r.wakeAt(11'003);
        QCOMPARE(r.ticks, 1);
    }
    void lateWakeUpTicksOnceForTheSecondItIsIn()
    {
        Rig r(10'500, 1000);
        r.wakeAt(13'700); // two and a half seconds late
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 303);
        r.wakeAt(13'800);
        QCOMPARE(r.ticks, 1);
        r.wakeAt(14'003);
        QCOMPARE(r.ticks, 2);
    }
    void lateWakeUpInsideTheMarginIsNotTickedTwice()
    {
        // Due at 11.003, woken at 12.001: that tick is second 12's, and the
        // wake-up at 12.003 must not give second 12 another.
        Rig r(10'500, 1000);
        r.wakeAt(12'001);
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 1002);
        r.wakeAt(12'003);
        QCOMPARE(r.ticks, 1);
    }
    void halfSecondsTickTwiceASecond()
    {
        Rig r(10'100, 500);
        QCOMPARE(r.armedFor(), 403);
        r.wakeAt(10'503);
        r.wakeAt(11'003);
        r.wakeAt(11'503);
        QCOMPARE(r.ticks, 3);
        QCOMPARE(r.armedFor(), 500);
    }

    // The wall clock set forward or back.
    void clockSetForwardTicksOnceNotABurst()
    {
        Rig r(10'500, 1000);
        r.wakeAt(11'003 + 3'600'000);
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 1000);
        r.wakeAt(11'500 + 3'600'000);
        QCOMPARE(r.ticks, 1);
    }
    void clockSetBackKeepsTicking()
    {
        Rig r(3'600'500, 1000);
        r.wakeAt(3'601'003);
        QCOMPARE(r.ticks, 1);
        // An hour back: the next wake-up is in a second long gone, and ticks
        // rather than waiting an hour for the old time to come again.
        r.wakeAt(2'003);
        QCOMPARE(r.ticks, 2);
        QCOMPARE(r.armedFor(), 1000);
        r.wakeAt(3'003);
        QCOMPARE(r.ticks, 3);
    }
    void clockSetBackWithinTheSecondWaitsForItsEnd()
    {
        Rig r(10'500, 1000);
        r.wakeAt(11'003);
        r.wakeAt(11'700); // the wait was a second, but the clock lost 300 ms
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 303);
    }

    // Intervals that do not divide a second.
    void longIntervalTicksOneIntervalAfterEnabling()
    {
        Rig r(10'250, 3000);
        QCOMPARE(r.armedFor(), 3000);
        r.wakeAt(10'253);
        QCOMPARE(r.ticks, 0);
        r.wakeAt(13'250);
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 3000);
    }
    void longIntervalKeepsItsPhaseAfterALateWakeUp()
    {
        Rig r(10'250, 3000);
        r.wakeAt(13'900);
        QCOMPARE(r.ticks, 1);
        QCOMPARE(r.armedFor(), 2350);
    }
    void settingTheIntervalStartsAFreshPhase()
    {
        Rig r(10'250, 3000);
        r.now = 11'000;
        r.timer->setInterval(3000);
        QCOMPARE(r.armedFor(), 3000);
        r.timer->setInterval(1000);
        QCOMPARE(r.armedFor(), 1003);
        QCOMPARE(r.timer->interval(), 1000);
    }

    // Enabled, disabled, and handlers that do more than return.
    void disabledTimerIsNotArmed()
    {
        Rig r(10'500, 1000, false);
        QVERIFY(!r.timer->isEnabled());
        QCOMPARE(r.armedFor(), -1);
        r.timer->setEnabled(true);
        QVERIFY(r.timer->isEnabled());
        QCOMPARE(r.armedFor(), 503);
        r.timer->setEnabled(false);
        QCOMPARE(r.armedFor(), -1);
    }
    void reEnablingInTheSameSecondDoesNotTickItAgain()
    {
        Rig r(10'500, 1000);
        r.wakeAt(11'003);
        r.now = 11'400;
        r.timer->setEnabled(false);
        r.timer->setEnabled(true);
        QCOMPARE(r.armedFor(), 603);
        r.wakeAt(11'500);
        QCOMPARE(r.ticks, 1);
    }
    void zeroIntervalNeverTicks()
    {
        Rig r(10'500, 0);
        QVERIFY(r.timer->isEnabled());
        QCOMPARE(r.timer->interval(), 0);
        QCOMPARE(r.armedFor(), -1);
        r.timer->setInterval(500);
        QCOMPARE(r.armedFor(), 503);
        r.timer->setInterval(-5);
        QCOMPARE(r.armedFor(), -1);
    }
    void handlerFindsTheTimerAlreadyReArmed()
    {
        Rig r(10'500, 1000);
        int armedInHandler = -2;
        QObject::connect(r.timer.get(), &Timer::tick, [&] { armedInHandler = r.armedFor(); });
        r.wakeAt(11'003);
        QCOMPARE(armedInHandler, 1000);
    }
    void disablingInTheHandlerStopsIt()
    {
        Rig r(10'500, 1000);
        QObject::connect(r.timer.get(), &Timer::tick, [&] { r.timer->setEnabled(false); });
        r.wakeAt(11'003);
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
