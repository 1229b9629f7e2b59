#include "platform/textfile.h"

#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace textfile {

namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

} // namespace

QStringList everyCase(const QString &folder, const QString &name)
{
    QStringList paths;
    const QString exact = folder + u'/' + name;
    if (QFileInfo(exact).isFile()) paths.append(exact);
    const QStringList entries
        = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    for (const QString &entry : entries)
        if (entry != name && entry.compare(name, Qt::CaseInsensitive) == 0) paths.append(folder + u'/' + entry);
    return paths;
}

QString findNoCase(const QString &folder, const QString &name)
{
    const QStringList paths = everyCase(folder, name);
    return paths.isEmpty() ? folder + u'/' + name : paths.front();
}

QList<QByteArrayView> lines(QByteArrayView contents)
{
    QList<QByteArrayView> found;
    const qsizetype n = contents.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && !isLineEnd(contents[end]))
            ++end;
        if (end < n) end += contents[end] == '\r' && end + 1 < n && contents[end + 1] == '\n' ? 2 : 1;
        found.append(contents.sliced(start, end - start));
        start = end;
    }
    return found;
}

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    while (!line.isEmpty() && isLineEnd(line.back()))
        line.chop(1);
    return line;
}

QStringList splitLines(QByteArrayView contents)
{
    QStringList decoded;
    // Lines are cut at the bytes, so no broken sequence can swallow a line end.
    for (QByteArrayView line : lines(contents))
        decoded.append(codepage::decode(withoutLineEnd(line)));
    return decoded;
}

std::optional<QByteArray> readAll(const QString &path, bool *complete)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray contents;
    if (file.size() > 0) contents.reserve(file.size());
    char buffer[64 * 1024];
    qint64 got;
    while ((got = file.read(buffer, sizeof buffer)) > 0)
        contents.append(buffer, got);
    if (complete) *complete = got == 0;
    if (got < 0) {
        // Keep only the lines that were read whole; a cut-off one would be garbage.
        while (!contents.isEmpty() && !isLineEnd(contents.back()))
            contents.chop(1);
    }
    return contents;
}

std::optional<QStringList> readLines(const QString &path)
{
    const std::optional<QByteArray> contents = readAll(path);
    if (!contents) return std::nullopt;
    return splitLines(*contents);
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

std::optional<FileFailure> writeAtomically(const QString &path, const QByteArray &bytes)
{
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
    return writeAtomically(path, codepage::encode(text));
}

std::optional<FileFailure> remove(const QString &path)
{
    QFile file(path);
    if (file.remove()) return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    return FileFailure{path, file.errorString()};
}

} // namespace textfile
