#include "support/system.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace testsystem {

#ifdef Q_OS_WIN

QString childProgram(const QString &name)
{
    return QCoreApplication::applicationDirPath() + u'/' + name + QStringLiteral(".exe");
}

bool samePath(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString whyCaseVariantsDoNotApply()
{
    return QStringLiteral("names that differ only in letter case are one file on Windows");
}

QString whyFolderPermissionsDoNotApply()
{
    return QStringLiteral("a read-only folder on Windows still takes new files");
}

void prepareForTermination(QProcess &child)
{
    // Console events go to the processes of a console: the child shares ours
    // (made now if we run without one), in a group of its own, so that the
    // event reaches the child alone.
    if (!GetConsoleWindow() && AllocConsole()) ShowWindow(GetConsoleWindow(), SW_HIDE);
    child.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags &= ~DWORD(CREATE_NO_WINDOW);
        args->flags |= CREATE_NEW_PROCESS_GROUP;
    });
}

bool terminate(QProcess &child)
{
    // Ctrl+Break reaches a group; Ctrl+C cannot be sent to one.
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, DWORD(child.processId()));
}

QString limitFileSize(QProcess &, qint64) { return QStringLiteral("Windows has no per-process file size limit"); }

#else

QString childProgram(const QString &name) { return QCoreApplication::applicationDirPath() + u'/' + name; }

bool samePath(const QString &a, const QString &b) { return a == b; }

QString whyCaseVariantsDoNotApply() { return QString(); }

QString whyFolderPermissionsDoNotApply()
{
    return geteuid() == 0 ? QStringLiteral("permission bits do not stop root") : QString();
}

void prepareForTermination(QProcess &) { }

bool terminate(QProcess &child) { return ::kill(pid_t(child.processId()), SIGTERM) == 0; }

QString limitFileSize(QProcess &child, qint64 bytes)
{
    child.setChildProcessModifier([bytes] {
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing
    });
    return QString();
}

#endif

QStringList snapshot(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        out << QDir(folder).relativeFilePath(path)
                + (it.fileInfo().isDir() ? "/" : "=" + (file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : "?"));
    }
    out.sort();
    return out;
}

} // namespace testsystem
