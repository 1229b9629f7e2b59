#include "platform/codepage.h"

#include <QtGlobal>

#include <array>
#include <vector>

#include <windows.h>

namespace codepage {
namespace {

// Four-byte codes count up from 81 30 81 30: the BMP takes the first 39420,
// the supplementary planes start at 90 30 81 30.
constexpr int twoByteCount = 126 * 190;
constexpr int bmpFourByteCount = 39420;
constexpr int supplementaryBase = 189000;

bool isTrail(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }
bool isLead(uchar b) { return b >= 0x81 && b <= 0xFE; }
bool isDigit(uchar b) { return b >= 0x30 && b <= 0x39; }

// Where GB18030 gives a two-byte code a real character that code page 936
// leaves in the private use area.
struct Fix
{
    quint16 code;
    char16_t ch;
};
constexpr Fix fixes[] = {{0xA2E3, 0x20AC}, {0xA8BC, 0x1E3F}, {0xA8BF, 0x01F9}, {0xA989, 0x303E}, {0xA98A, 0x2FF0},
    {0xA98B, 0x2FF1}, {0xA98C, 0x2FF2}, {0xA98D, 0x2FF3}, {0xA98E, 0x2FF4}, {0xA98F, 0x2FF5}, {0xA990, 0x2FF6},
    {0xA991, 0x2FF7}, {0xA992, 0x2FF8}, {0xA993, 0x2FF9}, {0xA994, 0x2FFA}, {0xA995, 0x2FFB}, {0xFE50, 0x2E81},
    {0xFE54, 0x2E84}, {0xFE55, 0x3473}, {0xFE56, 0x3447}, {0xFE57, 0x2E88}, {0xFE58, 0x2E8B}, {0xFE5A, 0x359E},
    {0xFE5B, 0x361A}, {0xFE5C, 0x360E}, {0xFE5D, 0x2E8C}, {0xFE5E, 0x2E97}, {0xFE5F, 0x396E}, {0xFE60, 0x3918},
    {0xFE62, 0x39CF}, {0xFE63, 0x39DF}, {0xFE64, 0x3A73}, {0xFE65, 0x39D0}, {0xFE68, 0x3B4E}, {0xFE69, 0x3C6E},
    {0xFE6A, 0x3CE0}, {0xFE6B, 0x2EA7}, {0xFE6E, 0x2EAA}, {0xFE6F, 0x4056}, {0xFE70, 0x415F}, {0xFE71, 0x2EAE},
    {0xFE72, 0x4337}, {0xFE73, 0x2EB3}, {0xFE74, 0x2EB6}, {0xFE75, 0x2EB7}, {0xFE77, 0x43B1}, {0xFE78, 0x43AC},
    {0xFE79, 0x2EBB}, {0xFE7A, 0x43DD}, {0xFE7B, 0x44D6}, {0xFE7C, 0x4661}, {0xFE7D, 0x464C}, {0xFE80, 0x4723},
    {0xFE81, 0x4729}, {0xFE82, 0x477C}, {0xFE83, 0x478D}, {0xFE84, 0x2ECA}, {0xFE85, 0x4947}, {0xFE86, 0x497A},
    {0xFE87, 0x497D}, {0xFE88, 0x4982}, {0xFE89, 0x4983}, {0xFE8A, 0x4985}, {0xFE8B, 0x4986}, {0xFE8C, 0x499F},
    {0xFE8D, 0x499B}, {0xFE8E, 0x49B7}, {0xFE8F, 0x49B6}, {0xFE92, 0x4CA3}, {0xFE93, 0x4C9F}, {0xFE94, 0x4CA0},
    {0xFE95, 0x4CA1}, {0xFE96, 0x4C77}, {0xFE97, 0x4CA2}, {0xFE98, 0x4D13}, {0xFE99, 0x4D14}, {0xFE9A, 0x4D15},
    {0xFE9B, 0x4D16}, {0xFE9C, 0x4D17}, {0xFE9D, 0x4D18}, {0xFE9E, 0x4D19}, {0xFE9F, 0x4DAE}};

int twoByteIndex(uchar lead, uchar trail) { return (lead - 0x81) * 190 + trail - (trail < 0x80 ? 0x40 : 0x41); }

struct Tables
{
    std::vector<char16_t> fromTwoByte; // by two-byte index
    std::vector<quint16> toTwoByte; // by BMP character; 0 when it has no two-byte code
    std::vector<char16_t> fromFourByte; // by four-byte index, BMP part
    std::vector<quint16> toFourByte; // by BMP character, for those without a two-byte code

    Tables()
        : fromTwoByte(twoByteCount)
        , toTwoByte(0x10000)
        , toFourByte(0x10000)
    {
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char bytes[2] = {char(lead), char(trail)};
                wchar_t ch[2] = {};
                if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, 2, ch, 2) != 1)
                    qFatal("Code page 936 has no character for %02X%02X", lead, trail);
                fromTwoByte[twoByteIndex(lead, trail)] = char16_t(ch[0]);
            }
        }
        for (const Fix &fix : fixes)
            fromTwoByte[twoByteIndex(fix.code >> 8, fix.code & 0xFF)] = fix.ch;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail != 0x7F) toTwoByte[fromTwoByte[twoByteIndex(lead, trail)]] = quint16(lead << 8 | trail);
            }
        }
        // The four-byte codes of the BMP are the characters left without a
        // two-byte code, in order, as GB18030 first laid them out, when A8BC
        // was U+E7C7; since 2005 U+1E3F and U+E7C7 have swapped places.
        fromFourByte.reserve(bmpFourByteCount);
        for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue;
            const bool twoByte = c == 0xE7C7 || (c != 0x1E3F && toTwoByte[c] != 0);
            if (twoByte) continue;
            const char16_t ch = c == 0x1E3F ? u'\xE7C7' : char16_t(c);
            toFourByte[ch] = quint16(fromFourByte.size());
            fromFourByte.push_back(ch);
        }
        if (fromFourByte.size() != bmpFourByteCount)
            qFatal("Code page 936 does not give the GBK characters GB18030 is built on");
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

void appendFourByte(QByteArray &out, int index)
{
    const char b4 = char(0x30 + index % 10);
    index /= 10;
    const char b3 = char(0x81 + index % 126);
    index /= 126;
    const char b2 = char(0x30 + index % 10);
    out.append(char(0x81 + index / 10)).append(b2).append(b3).append(b4);
}

} // namespace

QByteArray encode(QStringView text)
{
    const Tables &t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ch = text[i].unicode();
        if (ch < 0x80) {
            out.append(char(ch));
            continue;
        }
        if (QChar::isHighSurrogate(ch) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            appendFourByte(out, supplementaryBase + int(QChar::surrogateToUcs4(ch, text[i + 1].unicode()) - 0x10000));
            ++i;
            continue;
        }
        if (QChar::isSurrogate(ch)) ch = QChar::ReplacementCharacter;
        if (const quint16 code = t.toTwoByte[ch]) {
            out.append(char(code >> 8)).append(char(code & 0xFF));
        } else {
            appendFourByte(out, t.toFourByte[ch]);
        }
    }
    return out;
}

QString decode(QByteArrayView bytes)
{
    const Tables &t = tables();
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const uchar lead = b[i];
        if (lead < 0x80) {
            out.append(QChar(lead));
            ++i;
        } else if (isLead(lead) && i + 1 < n && isTrail(b[i + 1])) {
            out.append(QChar(t.fromTwoByte[twoByteIndex(lead, b[i + 1])]));
            i += 2;
        } else if (isLead(lead) && i + 3 < n && isDigit(b[i + 1]) && isLead(b[i + 2]) && isDigit(b[i + 3])) {
            const int index = (((lead - 0x81) * 10 + b[i + 1] - 0x30) * 126 + b[i + 2] - 0x81) * 10 + b[i + 3] - 0x30;
            if (index < bmpFourByteCount)
                out.append(QChar(t.fromFourByte[index]));
            else if (index >= supplementaryBase && index < supplementaryBase + 0x100000)
                out.append(QChar::fromUcs4(char32_t(0x10000 + index - supplementaryBase)));
            else
                out.append(QChar::ReplacementCharacter);
            i += 4;
        } else {
            out.append(QChar::ReplacementCharacter);
            ++i;
        }
    }
    return out;
}

} // namespace codepage
