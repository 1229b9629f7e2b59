#pragma once

// Line-based text files in the GB18030 code page: the two schedule files
// (Time.stt, Task.sts) beside the program. QtCore only, so that the fuzz
// target can link this file alone.

#include <QByteArray>
#include <QByteArrayView>
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

// Path of name inside folder, matched without regard to letter case: an existing
// file whose name equals name case-insensitively is returned (the exact-case
// match is preferred if there are several); else folder + "/" + name.
QString findNoCase(const QString &folder, const QString &name);

// GB18030 through Qt's ICU-backed codec: every GBK character gets its GBK bytes
// and every character round-trips. A lone surrogate is written as U+FFFD.
QByteArray encode(const QString &text);
// Undecodable or truncated byte sequences become U+FFFD.
QString decode(QByteArrayView bytes);

// Splits file contents into decoded lines. A line ends at CR LF, a lone CR or a
// lone LF; the terminator is not part of the line. A last line without a
// terminator is still a line; empty contents give no lines.
QStringList splitLines(QByteArrayView contents);

// All lines of the file; std::nullopt when it cannot be opened. After a read
// error part-way, the complete lines read before it are kept.
std::optional<QStringList> readLines(const QString &path);

// The row with every line end (CR LF, a lone CR, a lone LF) turned into one blank,
// so that it reads back as one line.
QString oneLine(const QString &row);

// Writes each row, as one line, followed by CR LF, atomically: on failure the
// previous file stays as it was and the failure is returned.
std::optional<FileFailure> writeLines(const QString &path, const QStringList &rows);

// Deletes the file. A file that does not exist is no failure.
std::optional<FileFailure> remove(const QString &path);

// One file of a group that is saved as one record.
struct FileUpdate
{
    QString name; // inside the folder, matched without regard to letter case
    std::optional<QStringList> rows; // none: the file is deleted, in every letter case
};

struct SaveOutcome
{
    QList<FileFailure> failures; // empty when every file was saved
    // When it failed: whether every old file is still as it was. Only a failure
    // part-way through replacing them clears it; the next finishSave() then
    // completes the save.
    bool oldFilesKept = true;
};

// Saves the files together, all new or all old: every new file is written and
// flushed first, and only when all are complete are the old ones replaced or
// deleted, following a journal that finishSave() completes if the process dies
// part-way. A failure before that leaves every old file as it was.
SaveOutcome saveTogether(const QString &folder, const QList<FileUpdate> &updates);

// Completes a save of these files that was cut short after its journal was
// written, and drops what a save cut short before that left behind. To be
// called before the files are read.
void finishSave(const QString &folder, const QStringList &names);

} // namespace textfile
