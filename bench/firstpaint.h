#pragma once

// What bench_startup and bench_bare both measure: time since the process was
// started, and peak memory, at the first paint of a window. Header-only, so
// that the bare window links nothing of the program but its font choice.

#include "bench/stats.h"

#include <QEvent>
#include <QFile>
#include <QObject>

#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace bench {

inline const char T0Variable[] = "QUORVALENT_BENCH_T0";

inline double clockMs(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Milliseconds since this process was started.
inline double sinceStartMs()
{
    if (const char *t0 = std::getenv(T0Variable)) return clockMs(CLOCK_MONOTONIC) - std::atof(t0);
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray line = stat.readAll();
    // Field 22, counted after the command name, which may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20) return -1;
    const double startMs = fields[19].toDouble() * 1e3 / double(sysconf(_SC_CLK_TCK));
    return clockMs(CLOCK_BOOTTIME) - startMs;
}

// Peak resident memory of this process image, in kB. VmHWM rather than
// getrusage: ru_maxrss keeps the peak of the forked launcher from before exec.
inline long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Reports once the first paint of the watched window has been handled, with
// every child painted and the surface flushed: the queued call runs after the
// paint pass has returned to the event loop.
class FirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            m_paintStartMs = sinceStartMs();
            QMetaObject::invokeMethod(this, &FirstPaint::report, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void report()
    {
        Record("first_paint")
            .number("startup_ms", sinceStartMs(), 2)
            .number("paint_start_ms", m_paintStartMs, 2)
            .count("peak_rss_kb", peakRssKb())
            .print();
        // Nothing of the program's ending belongs to its start-up.
        std::_Exit(0);
    }

    bool m_seen = false;
    double m_paintStartMs = 0;
};

} // namespace bench
