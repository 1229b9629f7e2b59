#include "platform/runningguard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

static QString lockBase(const QString &folder)
{
    const QFileInfo info(folder);
    QString key = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
#ifdef Q_OS_WIN
    key = key.toLower(); // names that differ in case are one folder there
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/running";
#else
    // The session's own folder (XDG_RUNTIME_DIR): no cleaner sweeps it, and
    // nothing is made in the home before the first save.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/quorvalent";
#endif
    return dir + '/' + QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
}

RunningGuard::RunningGuard(const QString &folder)
    : m_knock(lockBase(folder))
    , m_lock(m_knock + ".lock")
{
    m_knock += ".knock"; // beside the lock, the folder looked up once
    // Only a dead owner makes a lock stale, however long it has been held.
    m_lock.setStaleLockTime(0);
}

bool RunningGuard::claim()
{
    const QString dir = QFileInfo(m_knock).path();
    QDir().mkpath(dir);
    if (!m_lock.tryLock()) {
        // A lock that cannot be made at all (no writable home) keeps no one out.
        if (m_lock.error() != QLockFile::LockFailedError) return true;
#ifdef Q_OS_WIN
        // The holder may take the foreground only if this start, the user's, lets it.
        qint64 pid = 0;
        QString host, app;
        if (m_lock.getLockInfo(&pid, &host, &app)) AllowSetForegroundWindow(DWORD(pid));
#endif
        // Put in place whole, by a rename: an open file cannot be removed on
        // Windows, and the holder removes the knock as soon as it sees it.
        QSaveFile knock(m_knock);
        if (knock.open(QIODevice::WriteOnly)) knock.commit();
        return false;
    }
    QFile::remove(m_knock); // left by a holder that was killed
    // A change of the folder wakes the holder, no timer: inotify, or the
    // system's change notification.
    m_watcher.addPath(dir);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (QFile::remove(m_knock)) emit knocked();
    });
    return true;
}
