#include "platform/profile.h"

#include "platform/codepage.h"
#include "platform/textfile.h"

#include <QFileInfo>

#include <climits>

// The file is parsed on raw bytes wherever GB18030 allows it: CR, LF, blanks,
// ';' and '=' never occur inside a multi-byte character, so splitting lines
// and keys there is exact, and lines not changed are copied back untouched
// even when they do not decode. '[' and ']' can be trail bytes, so section
// headers are parsed on decoded text.

namespace profile {
namespace {

// Without the blanks (spaces and tabs) at either end; for bytes and for text.
template <typename Text> Text trimmed(Text text)
{
    auto blank = [](auto c) { return c == ' ' || c == '\t'; };
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

bool sameName(const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

// Where a key stands: the first matching section, and in it the first matching key.
struct Location
{
    QList<QByteArrayView> lines;
    qsizetype section = -1; // index of the header line
    qsizetype key = -1; // index of the key line
    QByteArrayView value; // of the key line, blanks trimmed
    qsizetype lastKey = -1; // last key line of the section, or the header when it has none
};

Location locate(QByteArrayView contents, const QString &section, const QString &key)
{
    Location at;
    at.lines = textfile::lines(contents);
    bool inSection = false;
    for (qsizetype i = 0; i < at.lines.size(); ++i) {
        const QByteArrayView line = trimmed(textfile::withoutLineEnd(at.lines[i]));
        if (line.startsWith('[')) {
            // The name runs to the last ']', so names may hold ']' themselves; a '[' line without one is ignored.
            const QString text = codepage::decode(line.sliced(1));
            const qsizetype close = text.lastIndexOf(u']');
            if (close < 0) continue;
            if (inSection) break;
            inSection = sameName(trimmed(text.left(close)), section);
            if (inSection) at.section = at.lastKey = i;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSection || line.startsWith(';') || equals < 0) continue;
        at.lastKey = i;
        if (at.key < 0 && sameName(codepage::decode(trimmed(line.first(equals))), key)) {
            at.key = i;
            at.value = trimmed(line.sliced(equals + 1));
        }
    }
    return at;
}

int leadingInt(QByteArrayView value)
{
    qsizetype i = 0;
    const bool negative = value.startsWith('-');
    if (negative || value.startsWith('+')) ++i;
    // Stop growing once past the int range; the clamp below then decides.
    const qint64 limit = qint64(INT_MAX) + 1;
    qint64 magnitude = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        if (magnitude <= limit) magnitude = magnitude * 10 + (value[i] - '0');
    if (negative) return magnitude >= limit ? INT_MIN : int(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : int(magnitude);
}

// The bytes from the start of contents to where part ends.
qsizetype endOf(QByteArrayView contents, QByteArrayView part) { return part.data() + part.size() - contents.data(); }

} // namespace

int readInt(QByteArrayView contents, const QString &section, const QString &key, int def)
{
    const Location at = locate(contents, trimmed(section), trimmed(key));
    return at.key < 0 ? def : leadingInt(at.value);
}

QByteArray withValue(const QByteArray &contents, const QString &section, const QString &key, const QString &value)
{
    const QString s = trimmed(section), k = trimmed(key);
    const QByteArray encoded = codepage::encode(textfile::oneLine(value));
    const Location at = locate(contents, s, k);
    if (at.key >= 0) {
        // The key as spelt in the file, and the blanks before the value, stay.
        const QByteArrayView line = at.lines[at.key];
        const qsizetype begin = at.value.data() - contents.data();
        return contents.left(begin) + encoded + contents.sliced(endOf(contents, textfile::withoutLineEnd(line)));
    }
    const QByteArray entry = codepage::encode(k) + '=' + encoded + "\r\n";
    // After the last key of the section, or at the end of the file with a new section.
    const qsizetype after = at.section >= 0 ? at.lastKey : at.lines.size() - 1;
    const qsizetype cut = after >= 0 ? endOf(contents, at.lines[after]) : 0;
    QByteArray out = contents.left(cut);
    if (after >= 0 && textfile::withoutLineEnd(at.lines[after]).size() == at.lines[after].size()) out += "\r\n";
    if (at.section < 0) out += '[' + codepage::encode(s) + "]\r\n";
    return out + entry + contents.sliced(cut);
}

int getInt(const QString &section, const QString &key, int def, const QString &file)
{
    const std::optional<QByteArray> contents = textfile::readAll(file);
    return contents ? readInt(*contents, section, key, def) : def;
}

bool writeString(const QString &section, const QString &key, const QString &value, const QString &file)
{
    std::optional<QByteArray> old;
    bool complete = true;
    // Never replace a file that could not be read whole: its other lines would be
    // lost. It is closed again before it is replaced, as Windows requires.
    if (QFileInfo::exists(file) && (!(old = textfile::readAll(file, &complete)) || !complete)) return false;
    return !textfile::writeAtomically(file, withValue(old.value_or(QByteArray()), section, key, value));
}

} // namespace profile
