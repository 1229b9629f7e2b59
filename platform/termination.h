#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal. The handler only writes
// a byte to a socket pair; the work happens in the event loop.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    TerminationSignals();
    ~TerminationSignals() override;

signals:
    void received();

private:
    QSocketNotifier *m_notifier = nullptr;
};
