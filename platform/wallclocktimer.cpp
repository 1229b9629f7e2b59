#include "platform/wallclocktimer.h"

#include <QDateTime>

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

qint64 WallClockSlots::slotAt(qint64 msecs) const { return floorDiv(msecs - origin, interval); }

qint64 WallClockSlots::delayToNext(qint64 now) const
{
    const qint64 due = origin + (slotAt(now) + 1) * interval + offset;
    return due - now;
}

WallClockSlots WallClockTimer::slotsFor(int intervalMs, qint64 enabledAt)
{
    // Boundaries of the wall clock get a small margin, so that whoever reads
    // the clock in the handler surely sees the new second; a phase of our own
    // needs none.
    if (1000 % intervalMs == 0) return {0, intervalMs, offsetMs};
    return {enabledAt, intervalMs, 0};
}

WallClockTimer::WallClockTimer(QObject *owner, int intervalMs, bool enabled, std::function<qint64()> clock)
    : Timer(owner)
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentMSecsSinceEpoch(); })
    , m_timer(this)
    , m_interval(intervalMs)
{
    m_timer.setSingleShot(true);
    // A coarse timer would snap to its own idea of a second and lose the offset.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &WallClockTimer::onTimeout);
    setEnabled(enabled);
}

void WallClockTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    if (enabled)
        restart();
    else
        m_timer.stop();
}

void WallClockTimer::setInterval(int ms)
{
    m_interval = ms;
    if (m_enabled) restart();
}

void WallClockTimer::restart()
{
    if (m_interval <= 0) {
        m_timer.stop();
        return;
    }
    const qint64 now = m_clock();
    m_slots = slotsFor(m_interval, now);
    // The slot we are in has begun already: the first tick is the next one.
    m_lastSlot = m_slots.slotAt(now);
    m_timer.start(int(m_slots.delayToNext(now)));
}

void WallClockTimer::onTimeout()
{
    const qint64 now = m_clock();
    const qint64 slot = m_slots.slotAt(now);
    // Re-arm before the handler runs: it may open a message box whose nested
    // loop must go on receiving ticks. Being re-armed from the wall clock each
    // time, a late wake-up ticks once, not once for every slot it missed.
    m_timer.start(int(m_slots.delayToNext(now)));
    // Woken before the boundary (the wall clock was set back, or runs apart
    // from the clock the wait is measured on): the slot has had its tick.
    if (slot == m_lastSlot) return;
    // Any other slot, earlier ones included, ticks: after the clock is set
    // back the ticks go on at once instead of waiting for the old time.
    m_lastSlot = slot;
    emit tick();
}

Timer *WallClockTimers::create(QObject *owner, const QString &name, int intervalMs, bool enabled)
{
    auto *timer = new WallClockTimer(owner, intervalMs, enabled);
    timer->setObjectName(name);
    return timer;
}
