#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace codepage {
namespace {

// Without ICU Qt has no GB18030; carrying on would read every schedule as empty
// and then overwrite it, so stop loudly instead.
template <typename Converter> Converter make()
{
    Converter converter("GB18030");
    if (!converter.isValid()) qFatal("The GB18030 code page is not available in this Qt build");
    return converter;
}

bool unpairedAt(QStringView text, qsizetype k)
{
    if (text[k].isHighSurrogate()) return !(k + 1 < text.size() && text[k + 1].isLowSurrogate());
    if (text[k].isLowSurrogate()) return !(k > 0 && text[k - 1].isHighSurrogate());
    return false;
}

} // namespace

QByteArray encode(QStringView text)
{
    thread_local QStringEncoder encoder = make<QStringEncoder>();
    // The codec would turn an unpaired surrogate into a control character or drop it.
    qsizetype i = 0;
    while (i < text.size() && !unpairedAt(text, i))
        ++i;
    if (i == text.size()) return encoder.encode(text);
    QString fixed = text.toString();
    for (; i < text.size(); ++i)
        if (unpairedAt(text, i)) fixed[i] = QChar::ReplacementCharacter;
    return encoder.encode(fixed);
}

QString decode(QByteArrayView bytes)
{
    thread_local QStringDecoder decoder = make<QStringDecoder>();
    // The decoder keeps a truncated sequence at the end in its state instead of
    // reporting it; a line end can never continue one, so ending the input with
    // one turns whatever is left into U+FFFD. Each call starts from a clean
    // state, so nothing pending can come out in the next piece.
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes).append('\n');
    QString text = decoder.decode(terminated);
    decoder.resetState();
    if (text.endsWith(u'\n')) text.chop(1);
    return text;
}

} // namespace codepage
