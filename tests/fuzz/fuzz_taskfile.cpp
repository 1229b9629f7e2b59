// Feeds arbitrary bytes to the schedule file reader and checks what must hold
// for any input: no crash, one line per line end, and every line read can be
// written back and read again unchanged.

#include "platform/codepage.h"
#include "platform/textfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &line)
{
    std::fprintf(stderr, "invariant broken: %s\nline:", what);
    for (char32_t c : line.toUcs4())
        std::fprintf(stderr, " %X", unsigned(c));
    std::fprintf(stderr, "\n");
    std::abort();
}

// The byte ranges of the lines, found without the reader's code.
QList<QByteArrayView> linePieces(QByteArrayView data)
{
    QList<QByteArrayView> pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] != '\r' && data[i] != '\n') continue;
        pieces.append(data.sliced(start, i - start));
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < data.size()) pieces.append(data.sliced(start));
    return pieces;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArrayView data(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const QStringList lines = textfile::splitLines(data);
    const QList<QByteArrayView> pieces = linePieces(data);
    if (lines.size() != pieces.size()) fail("line count differs from the number of line ends", QString());

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.contains(u'\r') || line.contains(u'\n')) fail("a line holds a line end", line);
        // A line does not depend on the lines before it.
        if (codepage::decode(pieces[i]) != line) fail("decoding the line alone gives other text", line);
        for (qsizetype k = 0; k < line.size(); ++k) {
            if (line[k].isHighSurrogate() && !(k + 1 < line.size() && line[k + 1].isLowSurrogate()))
                fail("unpaired high surrogate", line);
            if (line[k].isLowSurrogate() && !(k > 0 && line[k - 1].isHighSurrogate()))
                fail("unpaired low surrogate", line);
        }
        // Whatever was read, replacement characters included, survives a save.
        const QByteArray saved = codepage::encode(line) + "\r\n";
        const QStringList again = textfile::splitLines(saved);
        if (again.size() != 1 || again.front() != line) fail("line changed by writing and reading it back", line);
    }

    // The whole input as one text: a broken sequence never takes a line end with it,
    // so it reads as the lines with their line ends between them.
    const QString whole = codepage::decode(data);
    if (whole.size() > data.size()) fail("decoding gave more characters than bytes", whole);
    QString joined;
    qsizetype at = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        joined += lines[i];
        at = pieces[i].data() - data.data() + pieces[i].size();
        if (at < data.size()) joined += QLatin1Char(data[at++]);
        if (at < data.size() && data[at - 1] == '\r' && data[at] == '\n') joined += QLatin1Char(data[at++]);
    }
    if (whole != joined) fail("decoding the whole input differs from its lines", whole);

    // The same bytes as UTF-16 text, which reaches every character of the code page:
    // all of it must come back from the file, unpaired surrogates as U+FFFD.
    QString text(reinterpret_cast<const QChar *>(bytes), qsizetype(size / 2));
    for (QChar &c : text) {
        if (c == u'\r' || c == u'\n') c = u' ';
    }
    QString expected = text;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const bool paired = text[k].isHighSurrogate() ? k + 1 < text.size() && text[k + 1].isLowSurrogate()
            : text[k].isLowSurrogate()                ? k > 0 && text[k - 1].isHighSurrogate()
                                                      : true;
        if (!paired) expected[k] = QChar::ReplacementCharacter;
    }
    const QStringList back = textfile::splitLines(codepage::encode(text) + "\r\n");
    if (back.size() != 1 || back.front() != expected) fail("text changed by writing and reading it back", text);
    return 0;
}
