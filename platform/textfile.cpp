#include "platform/textfile.h"

#ifdef Q_OS_WIN
#include "platform/codepage.h"
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <filesystem>
#include <system_error>

namespace textfile {

namespace {

constexpr const char *codecName = "GB18030";

// Without ICU Qt has no GB18030; carrying on would read every schedule as empty
// and then overwrite it, so stop loudly instead.
void requireValid(const QStringConverter &converter)
{
    if (!converter.isValid()) qFatal("The GB18030 code page is not available in this Qt build");
}

#ifdef Q_OS_WIN
// Qt has no GB18030 on Windows: the system's code page does the work, and the
// decoder is only a placeholder.
QStringDecoder makeDecoder() { return QStringDecoder(); }
#else
QStringDecoder makeDecoder()
{
    QStringDecoder decoder(codecName);
    requireValid(decoder);
    return decoder;
}
#endif

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

#ifdef Q_OS_WIN
QString decodeTerminated(QStringDecoder &, QByteArrayView bytes) { return codepage::decodeGb18030(bytes.chopped(1)); }
#else
// Decodes bytes that end in CR or LF, dropping that last character. The decoder
// keeps a truncated multi-byte sequence in its state instead of reporting it;
// a line end can never continue such a sequence, so ending the input with one
// turns whatever is left into U+FFFD. Each call starts from a clean state:
// Qt sizes its output for the input alone, so bytes pending from an earlier
// call could overflow it and come out later in the wrong line.
QString decodeTerminated(QStringDecoder &decoder, QByteArrayView bytes)
{
    QString text = decoder.decode(bytes);
    decoder.resetState();
    if (text.endsWith(QLatin1Char(bytes.back()))) text.chop(1);
    return text;
}
#endif

QString decodeUnterminated(QStringDecoder &decoder, QByteArrayView bytes)
{
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes);
    terminated.append('\n');
    return decodeTerminated(decoder, terminated);
}

// Replaces unpaired surrogates, which the codec would otherwise turn into a
// control character or drop.
QString withPairedSurrogates(const QString &text)
{
    const qsizetype n = text.size();
    const QChar *chars = text.constData();
    qsizetype i = 0;
    auto unpairedAt = [&](qsizetype k) {
        if (chars[k].isHighSurrogate()) return !(k + 1 < n && chars[k + 1].isLowSurrogate());
        if (chars[k].isLowSurrogate()) return !(k > 0 && chars[k - 1].isHighSurrogate());
        return false;
    };
    while (i < n && !unpairedAt(i))
        ++i;
    if (i == n) return text;
    QString fixed = text;
    for (; i < n; ++i) {
        if (unpairedAt(i)) fixed[i] = QChar::ReplacementCharacter;
    }
    return fixed;
}

} // namespace

QString findNoCase(const QString &folder, const QString &name)
{
    const QString exact = folder + u'/' + name;
    if (QFileInfo(exact).isFile()) return exact;
    // Sorted, so that the choice among several case variants does not depend on the file system.
    const QStringList entries
        = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder + u'/' + entry;
    }
    return exact;
}

QByteArray encode(const QString &text)
{
#ifdef Q_OS_WIN
    return codepage::encodeGb18030(withPairedSurrogates(text));
#endif
    QStringEncoder encoder(codecName);
    requireValid(encoder);
    return encoder.encode(withPairedSurrogates(text));
}

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder = makeDecoder();
    return decodeUnterminated(decoder, bytes);
}

QStringList splitLines(QByteArrayView contents)
{
    QStringList lines;
    QStringDecoder decoder = makeDecoder();
    const char *data = contents.data();
    const qsizetype n = contents.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && !isLineEnd(data[end]))
            ++end;
        if (end == n) {
            lines.append(decodeUnterminated(decoder, contents.sliced(start)));
            break;
        }
        // Lines are cut at the bytes, so no broken sequence can swallow a line end.
        lines.append(decodeTerminated(decoder, contents.sliced(start, end - start + 1)));
        start = end + 1;
        if (data[end] == '\r' && start < n && data[start] == '\n') ++start;
    }
    return lines;
}

std::optional<QStringList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray contents;
    if (file.size() > 0) contents.reserve(file.size());
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            // Keep only the lines that were read whole; a cut-off one would be garbage.
            qsizetype keep = contents.size();
            while (keep > 0 && !isLineEnd(contents.at(keep - 1)))
                --keep;
            contents.truncate(keep);
            break;
        }
        contents.append(buffer, got);
    }
    return splitLines(contents);
}

QString oneLine(const QString &row)
{
    if (!row.contains(u'\r') && !row.contains(u'\n')) return row;
    QString line = row;
    line.replace(u"\r\n"_qs, u" "_qs);
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

std::optional<FileFailure> writeLines(const QString &path, const QStringList &rows)
{
    qsizetype length = 0;
    for (const QString &row : rows)
        length += row.size() + 2;
    QString text;
    text.reserve(length);
    for (const QString &row : rows) {
        // A line end inside a row would load back as two rows, and every row
        // after it would pair with the wrong row of the other file.
        text += oneLine(row);
        text += u"\r\n";
    }
    const QByteArray bytes = encode(text);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return FileFailure{path, file.errorString()};
    // A full disk may only show when the buffer is flushed, and commit() does not
    // always notice, so the flush is checked on its own.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileFailure{path, reason};
    }
    if (!file.commit()) return FileFailure{path, file.errorString()};
    return std::nullopt;
}

std::optional<FileFailure> remove(const QString &path)
{
    QFile file(path);
    if (file.remove()) return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    return FileFailure{path, file.errorString()};
}

namespace {

// Written once every new file is complete, removed once all are in place: while
// it exists, the save it describes is to be completed.
const QString JournalName = QStringLiteral(".Quorvalent.journal");
const QLatin1String Replace("replace"), Delete("delete");

QString stagedName(const QString &target) { return u'.' + target + QStringLiteral(".new"); }

// A plain name inside the folder, nothing that could reach outside it.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\')
        && !name.contains(u'\0') && !name.contains(u'\t') && !name.contains(u'\n');
}

std::filesystem::path fsPath(const QString &path) { return std::filesystem::path(path.toStdU16String()); }

std::optional<FileFailure> replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (!error) return std::nullopt;
    return FileFailure{to, QString::fromLocal8Bit(error.message())};
}

// Every file of the folder named name in any letter case.
QStringList everyCase(const QString &folder, const QString &name)
{
    QStringList paths;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) paths.append(folder + u'/' + entry);
    return paths;
}

// Carries out a journal's lines; the names in them are checked against the
// names the caller saves, so a journal can never touch another file.
QList<FileFailure> apply(const QString &folder, const QStringList &lines, const QStringList &names)
{
    auto known = [&](const QString &name) { return isPlainName(name) && names.contains(name, Qt::CaseInsensitive); };
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
        QSaveFile file(folder + u'/' + JournalName);
        const QByteArray bytes = journal.join(u'\n').toUtf8() + '\n';
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            outcome.failures.append({file.fileName(), file.errorString()});
    }
    if (!outcome.failures.isEmpty()) {
        dropStaged();
        return outcome;
    }
    // From here on the journal stands for the new files.
    outcome.failures = apply(folder, journal, names);
    if (!outcome.failures.isEmpty()) {
        outcome.oldFilesKept = false;
        return outcome;
    }
    if (auto failure = remove(folder + u'/' + JournalName)) {
        outcome.failures.append(*failure);
        outcome.oldFilesKept = false;
    }
    return outcome;
}

void finishSave(const QString &folder, const QStringList &names)
{
    const QString journalPath = folder + u'/' + JournalName;
    QFile journal(journalPath);
    if (journal.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(journal.readAll()).split(u'\n', Qt::SkipEmptyParts);
        journal.close();
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
