#pragma once

#include <QFileSystemWatcher>
#include <QLockFile>
#include <QObject>

// At most one program per folder of files. The lock lies in the session's
// runtime folder (on Windows the user's local data folder): the program's
// folder may be read-only, and /tmp is swept while the program runs. A lock
// whose owner is gone is taken over. A later start for the same folder leaves
// a knock beside the lock; the holder hears it as knocked(). Needs the
// application object and its name.
class RunningGuard : public QObject
{
    Q_OBJECT
public:
    explicit RunningGuard(const QString &folder);
    // False when a running program holds the folder: it has been knocked on.
    bool claim();
    // Once the end has saved: a start right after must find the folder free.
    void release() { m_lock.unlock(); }

signals:
    void knocked();

private:
    QString m_knock;
    QLockFile m_lock;
    QFileSystemWatcher m_watcher;
};
