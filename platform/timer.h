#pragma once

#include <QObject>
#include <QString>

// A window's timer, known by its name (Timer1, Timer2). Enabled and Interval
// are what the windows see; how the ticks are produced is the factory's.
class Timer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual int interval() const = 0;
    virtual void setInterval(int ms) = 0;

signals:
    void tick();
};

class TimerFactory
{
public:
    virtual ~TimerFactory() = default;
    // The timer is a child of owner and carries name as its objectName.
    virtual Timer *create(QObject *owner, const QString &name, int intervalMs, bool enabled) = 0;
};
