#pragma once

#include "platform/timer.h"

#include <QTimer>

#include <functional>

// The arithmetic of a wall-clock timer, apart from any clock, so that early,
// late and jumped wake-ups can be checked without waiting. A slot is the span
// of one interval counted from origin; its tick is due offset ms after it
// begins.
struct WallClockSlots
{
    qint64 origin = 0;
    qint64 interval = 1000;
    qint64 offset = 0;

    // The slot a moment falls in. A tick belongs to the slot of the moment it
    // fires, not of the moment it was meant for, so a handler that reads the
    // clock sees the same second the slot stands for.
    qint64 slotAt(qint64 msecs) const;
    // How long from now until the tick of the slot after now's is due; at
    // least 1 ms, never beyond that slot's due moment.
    qint64 delayToNext(qint64 now) const;
};

// A timer re-armed against the wall clock at every tick, so that it neither
// drifts nor skips a second. Intervals that divide a second (1000, 500 ms)
// tick a few milliseconds after each such boundary of the wall clock; longer
// intervals keep the phase of the moment they were enabled. An interval of 0
// or less never ticks.
class WallClockTimer : public Timer
{
    Q_OBJECT
public:
    static constexpr int offsetMs = 3;

    // clock gives the wall clock in ms since the epoch; the system's when empty.
    WallClockTimer(QObject *owner, int intervalMs, bool enabled, std::function<qint64()> clock = {});

    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;

    // The slots for an interval enabled at the given moment.
    static WallClockSlots slotsFor(int intervalMs, qint64 enabledAt);

private:
    void restart();
    void onTimeout();

    std::function<qint64()> m_clock;
    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 1000;
    WallClockSlots m_slots;
    qint64 m_lastSlot = 0;
};

class WallClockTimers : public TimerFactory
{
public:
    Timer *create(QObject *owner, const QString &name, int intervalMs, bool enabled) override;
};
