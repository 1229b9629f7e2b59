#include "platform/wallclocktimer.h"

#include <QDateTime>

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

qint64 wallNow() { return QDateTime::currentMSecsSinceEpoch(); }

} // namespace

WallClockTimer::WallClockTimer(QObject *owner, int intervalMs, bool enabled)
    : Timer(owner)
    , m_interval(qMax(1, intervalMs))
{
    m_timer.setSingleShot(true);
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
    m_interval = qMax(1, ms);
    if (m_enabled) restart();
}

qint64 WallClockTimer::slotAt(qint64 msecs) const
{
    const qint64 origin = (1000 % m_interval == 0) ? 0 : m_anchor;
    return floorDiv(msecs - origin - offsetMs, m_interval);
}

void WallClockTimer::restart()
{
    const qint64 now = wallNow();
    m_anchor = now;
    // The slot we are in has begun already: the first tick is the next one.
    m_lastSlot = slotAt(now);
    arm(now);
}

void WallClockTimer::arm(qint64 now)
{
    const qint64 origin = (1000 % m_interval == 0) ? 0 : m_anchor;
    const qint64 next = origin + (slotAt(now) + 1) * m_interval + offsetMs;
    m_timer.start(int(qMax<qint64>(0, next - now)));
}

void WallClockTimer::onTimeout()
{
    const qint64 now = wallNow();
    const qint64 slot = slotAt(now);
    if (slot == m_lastSlot) {
        // Woken a little early: wait for the boundary itself.
        arm(now);
        return;
    }
    m_lastSlot = slot;
    // Re-arm before the handler runs: it may open a message box whose nested
    // loop must go on receiving ticks.
    arm(now);
    emit tick();
}

Timer *WallClockTimers::create(QObject *owner, const QString &name, int intervalMs, bool enabled)
{
    auto *timer = new WallClockTimer(owner, intervalMs, enabled);
    timer->setObjectName(name);
    return timer;
}
