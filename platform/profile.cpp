#include "profile.h"

#ifdef Q_OS_WIN
#include "platform/codepage.h"
#endif

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <climits>
#include <vector>

// The file is parsed on raw bytes wherever GB18030 allows it: CR, LF, blanks, ';' and '=' never occur
// inside a multi-byte character, so splitting lines and keys there is exact, and lines we do not
// touch are copied back untouched even when they do not decode. '[' and ']' can be trail bytes,
// so section headers are parsed on decoded text.

namespace profile {
namespace {

const char *const codec = "GB18030";

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString trimBlanks(const QString &s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

// Each piece is decoded on its own (no state carried over), as the reader sees it, so the writer's
// round-trip check matches. ASCII is the same in GB18030, so it skips the converter.
QString decode(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
#ifdef Q_OS_WIN
    return codepage::decodeGb18030(bytes);
#endif
    thread_local QStringDecoder decoder(codec, QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) return QString::fromLatin1(bytes); // no ICU: keep going rather than lose the file
    return decoder.decode(bytes);
}

std::optional<QByteArray> encode(const QString &text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) return text.toLatin1();
#ifdef Q_OS_WIN
    return codepage::encodeGb18030(text);
#endif
    QStringEncoder encoder(codec);
    if (!encoder.isValid()) return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) return std::nullopt;
    return bytes;
}

struct Line
{
    qsizetype begin; // first byte
    qsizetype contentEnd; // first byte of the line break, or end of data
    qsizetype end; // first byte of the next line
};

// Lines end with CR LF, LF or a lone CR.
std::vector<Line> splitLines(const QByteArray &data)
{
    std::vector<Line> lines;
    const qsizetype n = data.size();
    qsizetype begin = 0;
    while (begin < n) {
        qsizetype i = begin;
        while (i < n && data[i] != '\r' && data[i] != '\n')
            ++i;
        qsizetype end = i;
        if (end < n) {
            end += (data[end] == '\r' && end + 1 < n && data[end + 1] == '\n') ? 2 : 1;
        }
        lines.push_back({begin, i, end});
        begin = end;
    }
    return lines;
}

enum class Kind { Other, Section, Key };

struct Parsed
{
    Kind kind = Kind::Other;
    QString name; // section or key name, blanks trimmed
    qsizetype equals = -1; // byte index of the '=' of a key line
};

Parsed parseLine(const QByteArray &data, const Line &line)
{
    Parsed parsed;
    qsizetype p = line.begin;
    while (p < line.contentEnd && isBlank(data[p]))
        ++p;
    if (p == line.contentEnd || data[p] == ';') return parsed;
    if (data[p] == '[') {
        // The name runs to the last ']', so names may hold ']' themselves; a '[' line without one is ignored.
        const QString text = decode(QByteArrayView(data).sliced(p + 1, line.contentEnd - p - 1));
        const qsizetype close = text.lastIndexOf(u']');
        if (close >= 0) {
            parsed.kind = Kind::Section;
            parsed.name = trimBlanks(text.left(close));
        }
        return parsed;
    }
    const qsizetype equals = data.indexOf('=', p);
    if (equals < 0 || equals >= line.contentEnd) return parsed;
    qsizetype keyEnd = equals;
    while (keyEnd > p && isBlank(data[keyEnd - 1]))
        --keyEnd;
    parsed.kind = Kind::Key;
    parsed.name = decode(QByteArrayView(data).sliced(p, keyEnd - p));
    parsed.equals = equals;
    return parsed;
}

QString valueOf(const QByteArray &data, const Line &line, qsizetype equals)
{
    qsizetype begin = equals + 1, end = line.contentEnd;
    while (begin < end && isBlank(data[begin]))
        ++begin;
    while (end > begin && isBlank(data[end - 1]))
        --end;
    return decode(QByteArrayView(data).sliced(begin, end - begin));
}

bool sameName(const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

// Where a key stands in a file: the first matching section, and in it the first matching key.
struct Location
{
    std::vector<Line> lines;
    qsizetype section = -1; // index of the header line
    qsizetype key = -1; // index of the key line
    qsizetype equals = -1;
    qsizetype lastKey = -1; // last key line of the section, or the header when it has none
};

Location locate(const QByteArray &data, const QString &section, const QString &key)
{
    Location at;
    at.lines = splitLines(data);
    const qsizetype count = qsizetype(at.lines.size());
    qsizetype i = 0;
    for (; i < count; ++i) {
        const Parsed parsed = parseLine(data, at.lines[i]);
        if (parsed.kind == Kind::Section && sameName(parsed.name, section)) break;
    }
    if (i == count) return at;
    at.section = at.lastKey = i;
    for (++i; i < count; ++i) {
        const Parsed parsed = parseLine(data, at.lines[i]);
        if (parsed.kind == Kind::Section) break;
        if (parsed.kind != Kind::Key) continue;
        at.lastKey = i;
        if (at.key < 0 && !key.isEmpty() && sameName(parsed.name, key)) {
            at.key = i;
            at.equals = parsed.equals;
        }
    }
    return at;
}

bool fail(QString *error, const QString &reason)
{
    if (error) *error = reason;
    return false;
}

} // namespace

int parseLeadingInt(QStringView value)
{
    qsizetype i = 0;
    const qsizetype n = value.size();
    while (i < n && isBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < n && (value[i] == u'+' || value[i] == u'-')) {
        negative = value[i] == u'-';
        ++i;
    }
    // Stop growing once past the int range; the clamp below then decides.
    const qint64 limit = qint64(INT_MAX) + 1;
    qint64 magnitude = 0;
    for (; i < n && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (value[i].unicode() - u'0');
    }
    if (negative) return magnitude >= limit ? INT_MIN : int(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : int(magnitude);
}

std::optional<QString> findValue(const QByteArray &contents, const QString &section, const QString &key)
{
    const QString wantedKey = trimBlanks(key);
    if (wantedKey.isEmpty()) return std::nullopt;
    const Location at = locate(contents, trimBlanks(section), wantedKey);
    if (at.key < 0) return std::nullopt;
    return valueOf(contents, at.lines[at.key], at.equals);
}

QString unstorableReason(const QString &section, const QString &key, const QString &value)
{
    const QString s = trimBlanks(section), k = trimBlanks(key);
    const auto hasBreak = [](const QString &t) { return t.contains(u'\r') || t.contains(u'\n'); };
    if (hasBreak(s) || hasBreak(k) || hasBreak(value))
        return QStringLiteral("names and values cannot hold line breaks");
    if (k.isEmpty()) return QStringLiteral("the key is empty");
    if (k.contains(u'=')) return QStringLiteral("the key holds '='");
    if (k.startsWith(u';') || k.startsWith(u'[')) return QStringLiteral("the key starts with ';' or '['");
    const auto es = encode(s), ek = encode(k), ev = encode(value);
    if (!es || !ek || !ev) return QStringLiteral("the text does not fit the GB18030 code page");
    // Read back the lines the writer would produce, exactly as the reader parses them.
    const QByteArray header = '[' + *es + ']';
    const Parsed h = parseLine(header, {0, header.size(), header.size()});
    const QByteArray entry = *ek + '=' + *ev;
    const Line entryLine{0, entry.size(), entry.size()};
    const Parsed e = parseLine(entry, entryLine);
    if (h.kind != Kind::Section || h.name != s || e.kind != Kind::Key || e.name != k
        || valueOf(entry, entryLine, e.equals) != trimBlanks(value)) {
        return QStringLiteral("the text does not survive the GB18030 code page");
    }
    return QString();
}

QByteArray setValue(const QByteArray &contents, const QString &section, const QString &key, const QString &value)
{
    if (!unstorableReason(section, key, value).isEmpty()) return contents;
    const QString s = trimBlanks(section), k = trimBlanks(key);
    const QByteArray encodedValue = *encode(value);
    const Location at = locate(contents, s, k);

    if (at.key >= 0) {
        // Keep the key as spelt in the file, and the blanks after '=' unless the value brings its own.
        const Line &line = at.lines[at.key];
        qsizetype valueBegin = at.equals + 1;
        if (!encodedValue.startsWith(' ') && !encodedValue.startsWith('\t')) {
            while (valueBegin < line.contentEnd && isBlank(contents[valueBegin]))
                ++valueBegin;
        }
        QByteArray out = contents.left(valueBegin);
        out += encodedValue;
        out += QByteArrayView(contents).sliced(line.contentEnd);
        return out;
    }

    const QByteArray entry = *encode(k) + '=' + encodedValue + "\r\n";
    if (at.section >= 0) {
        const Line &after = at.lines[at.lastKey];
        QByteArray out = contents.left(after.end);
        if (after.contentEnd == after.end) out += "\r\n"; // last line of the file without a line break
        out += entry;
        out += QByteArrayView(contents).sliced(after.end);
        return out;
    }

    QByteArray out = contents;
    if (!at.lines.empty() && at.lines.back().contentEnd == at.lines.back().end) out += "\r\n";
    out += '[' + *encode(s) + "]\r\n";
    out += entry;
    return out;
}

int getInt(const QString &section, const QString &key, int def, const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return def;
    const std::optional<QString> value = findValue(in.readAll(), section, key);
    return value ? parseLeadingInt(*value) : def;
}

bool writeString(const QString &section, const QString &key, const QString &value, const QString &file, QString *error)
{
    const QString reason = unstorableReason(section, key, value);
    if (!reason.isEmpty()) return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, reason));

    QByteArray old;
    const QFileInfo info(file);
    if (info.isDir()) return fail(error, QStringLiteral("Cannot write %1: it is a folder").arg(file));
    if (info.exists()) {
        // Never replace a file we could not read: its other lines would be lost.
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return fail(error, QStringLiteral("Cannot read %1: %2").arg(file, in.errorString()));
        old = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return fail(error, QStringLiteral("Cannot read %1: %2").arg(file, in.errorString()));
    }

    const QByteArray data = setValue(old, section, key, value);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    // QSaveFile buffers; a full disk may only show at flush(), and commit() alone can miss it.
    if (out.write(data) != data.size() || !out.flush()) {
        const QString why = out.errorString();
        out.cancelWriting();
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, why));
    }
    if (!out.commit()) return fail(error, QStringLiteral("Cannot write %1: %2").arg(file, out.errorString()));
    return true;
}

} // namespace profile
