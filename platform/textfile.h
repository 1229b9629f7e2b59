#pragma once

// The program's files on disk: text in the GB18030 code page, line by line,
// and the plain operations under them (finding a name in any letter case,
// replacing a file all or nothing, deleting it). The schedule files and the
// settings file share them. QtCore only, so that the fuzz targets can link it.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The outcome of a failed write or delete: which file and why, in words a user understands.
struct FileFailure
{
    QString file; // the path that was to be written or deleted
    QString reason; // the system's error text; the caller composes the message
};

namespace textfile {

// Every file in folder named name in any letter case: the exact spelling
// first, then the others sorted, so that the choice does not depend on the
// file system.
QStringList everyCase(const QString &folder, const QString &name);
// The first of everyCase(); folder + "/" + name when there is none.
QString findNoCase(const QString &folder, const QString &name);

// The lines of contents, each with its line end: CR LF, a lone CR or a lone
// LF. A last line without one is still a line; empty contents give no lines.
QList<QByteArrayView> lines(QByteArrayView contents);
QByteArrayView withoutLineEnd(QByteArrayView line);
// The lines decoded, without their line ends.
QStringList splitLines(QByteArrayView contents);

// The file's bytes; std::nullopt when it cannot be opened. After a read error
// part-way only the whole lines read before it are kept, and *complete is false.
std::optional<QByteArray> readAll(const QString &path, bool *complete = nullptr);
std::optional<QStringList> readLines(const QString &path);

// The row with every line end (CR LF, a lone CR, a lone LF) turned into one blank,
// so that it reads back as one line.
QString oneLine(const QString &row);

// Replaces the file with bytes: on failure the previous file stays as it was
// and the failure is returned.
std::optional<FileFailure> writeAtomically(const QString &path, const QByteArray &bytes);
// Each row as one line followed by CR LF, written atomically.
std::optional<FileFailure> writeLines(const QString &path, const QStringList &rows);

// Deletes the file. A file that does not exist is no failure.
std::optional<FileFailure> remove(const QString &path);

} // namespace textfile
