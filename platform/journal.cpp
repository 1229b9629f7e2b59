#include "platform/journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace textfile {
namespace {

// Written once every new file is complete, removed once all are in place: while
// it exists, the save it describes is to be completed.
const QString JournalName = QStringLiteral(".Quorvalent.journal");
const QLatin1String Replace("replace"), Delete("delete");

QString stagedName(const QString &target) { return u'.' + target + QStringLiteral(".new"); }

std::filesystem::path fsPath(const QString &path) { return std::filesystem::path(path.toStdU16String()); }

std::optional<FileFailure> replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (!error) return std::nullopt;
    return FileFailure{to, QString::fromLocal8Bit(error.message())};
}

// Carries out a journal's lines; the names in them must be names the caller
// saves, so a journal can never touch another file.
QList<FileFailure> apply(const QString &folder, const QStringList &lines, const QStringList &names)
{
    auto known = [&](const QString &name) { return names.contains(name, Qt::CaseInsensitive); };
    QList<FileFailure> failures;
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 2 && fields[0] == Delete && known(fields[1])) {
            for (const QString &path : everyCase(folder, fields[1]))
                if (auto failure = remove(path)) failures.append(*failure);
        } else if (fields.size() == 3 && fields[0] == Replace && known(fields[2])
            && fields[1] == stagedName(fields[2])) {
            const QString staged = folder + u'/' + fields[1];
            // Already moved into place by an earlier, interrupted run.
            if (!QFileInfo::exists(staged)) continue;
            if (auto failure = replaceFile(staged, folder + u'/' + fields[2])) failures.append(*failure);
        }
    }
    return failures;
}

} // namespace

SaveOutcome saveTogether(const QString &folder, const QList<FileUpdate> &updates)
{
    QStringList names, journal, staged;
    SaveOutcome outcome;
    auto dropStaged = [&] {
        for (const QString &name : staged)
            QFile::remove(folder + u'/' + name);
    };
    for (const FileUpdate &update : updates) {
        names.append(update.name);
        if (!update.rows) {
            journal.append(Delete + u'\t' + update.name);
            continue;
        }
        const QString target = QFileInfo(findNoCase(folder, update.name)).fileName();
        const QString targetPath = folder + u'/' + target;
        // A folder in the file's place could not be replaced at the end; say so now.
        if (QFileInfo(targetPath).isDir()) {
            outcome.failures.append({targetPath, QStringLiteral("Is a directory")});
            continue;
        }
        if (auto failure = writeLines(folder + u'/' + stagedName(target), *update.rows)) {
            outcome.failures.append({targetPath, failure->reason});
            continue;
        }
        staged.append(stagedName(target));
        journal.append(Replace + u'\t' + stagedName(target) + u'\t' + target);
    }
    if (outcome.failures.isEmpty()) {
        if (auto failure = writeAtomically(folder + u'/' + JournalName, journal.join(u'\n').toUtf8() + '\n'))
            outcome.failures.append(*failure);
    }
    if (!outcome.failures.isEmpty()) {
        dropStaged();
        return outcome;
    }
    // From here on the journal stands for the new files.
    outcome.failures = apply(folder, journal, names);
    if (outcome.failures.isEmpty())
        if (auto failure = remove(folder + u'/' + JournalName)) outcome.failures.append(*failure);
    outcome.oldFilesKept = outcome.failures.isEmpty();
    return outcome;
}

void finishSave(const QString &folder, const QStringList &names)
{
    const QString journalPath = folder + u'/' + JournalName;
    if (const std::optional<QByteArray> journal = readAll(journalPath)) {
        const QStringList lines = QString::fromUtf8(*journal).split(u'\n', Qt::SkipEmptyParts);
        // Not completed: the journal stays for the next try, and so do its files.
        if (!apply(folder, lines, names).isEmpty() || !QFile::remove(journalPath)) return;
    }
    // Without a journal, new files written before the process died are not the
    // schedule; the temporary files of writes cut short are nothing at all.
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        bool leftover = entry.startsWith(JournalName + u'.');
        for (const QString &name : names)
            leftover = leftover || entry.startsWith(stagedName(name), Qt::CaseInsensitive);
        if (leftover) QFile::remove(folder + u'/' + entry);
    }
}

} // namespace textfile
