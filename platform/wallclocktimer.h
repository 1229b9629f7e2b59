#pragma once

#include "platform/timer.h"

#include <QTimer>

// A timer re-armed against the wall clock at every tick, so that it neither
// drifts nor skips a second. Intervals that divide a second (1000, 500 ms)
// tick a few milliseconds after each such boundary of the wall clock; longer
// intervals keep the phase of the moment they were enabled.
class WallClockTimer : public Timer
{
    Q_OBJECT
public:
    static constexpr int offsetMs = 3;

    WallClockTimer(QObject *owner, int intervalMs, bool enabled);

    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;

private:
    qint64 slotAt(qint64 msecs) const;
    void restart();
    void arm(qint64 now);
    void onTimeout();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 1000;
    qint64 m_anchor = 0; // phase origin for intervals that do not divide a second
    qint64 m_lastSlot = 0;
};

class WallClockTimers : public TimerFactory
{
public:
    Timer *create(QObject *owner, const QString &name, int intervalMs, bool enabled) override;
};
