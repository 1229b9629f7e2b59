#pragma once

// Files saved together as one record: all new or all old, even when the
// process dies part-way.

#include "platform/textfile.h"

namespace textfile {

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

// Every new file is written and flushed first, and only when all are complete
// are the old ones replaced or deleted, following a journal that finishSave()
// completes if the process dies part-way. A failure before that leaves every
// old file as it was.
SaveOutcome saveTogether(const QString &folder, const QList<FileUpdate> &updates);

// Completes a save of these files that was cut short after its journal was
// written, and drops what a save cut short before that left behind. To be
// called before the files are read.
void finishSave(const QString &folder, const QStringList &names);

} // namespace textfile
