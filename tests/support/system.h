#pragma once

// What differs between the systems the tests run on, POSIX and Windows.

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QProcess;

namespace testsystem {

// The path of a child program built beside the tests.
QString childProgram(const QString &name);

// Whether two paths name one file by the system's rule for letter case: on
// Windows names that differ only in case are the same file.
bool samePath(const QString &a, const QString &b);
// Why names that differ only in case cannot be different files here, or empty.
QString whyCaseVariantsDoNotApply();

// Why permission bits cannot make a folder unwritable here, or empty when they can:
// root writes anywhere, and on Windows a read-only folder still takes new files.
QString whyFolderPermissionsDoNotApply();

// Prepares a child, before it starts, to be ended as the system ends a
// session, and ends it so: SIGTERM on POSIX; on Windows, where there is none,
// the console control event a closing console sends.
void prepareForTermination(QProcess &child);
bool terminate(QProcess &child);

// Makes every write of the child beyond bytes fail, as on a full disk; returns
// why it cannot be done here, or empty.
QString limitFileSize(QProcess &child, qint64 bytes);

// Every name below the folder, with each file's bytes (names of folders end in
// '/'): what a failed change must leave as it was.
QStringList snapshot(const QString &folder);

} // namespace testsystem
