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

std::optional<FileFailure> writeLines(const QString &path, const QStringList &rows)
{
    qsizetype length = 0;
    for (const QString &row : rows)
        length += row.size() + 2;
    QString text;
    text.reserve(length);
    for (const QString &row : rows) {
        text += row;
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

} // namespace textfile
