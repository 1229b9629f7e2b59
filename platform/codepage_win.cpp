#include "platform/codepage.h"

#include <QtGlobal>

#include <string_view>
#include <utility>
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
// leaves in the private use area: from each code on, one character for each
// code in turn; '-' keeps 936's.
constexpr std::pair<quint16, std::u16string_view> fixes[]
    = {{0xA2E3, u"€"}, {0xA8BC, u"ḿ--ǹ"}, {0xA989, u"〾⿰⿱⿲⿳⿴⿵⿶⿷⿸⿹⿺⿻"},
        {0xFE50,
            u"⺁---⺄㑳㑇⺈⺋-㖞㘚㘎⺌⺗㥮㤘-㧏㧟㩳㧐--㭎㱮㳠⺧--⺪䁖䅟⺮䌷⺳⺶⺷-䎱䎬⺻䏝䓖䙡䙌-"
            u"䜣䜩䝼䞍⻊䥇䥺䥽䦂䦃䦅䦆䦟䦛䦷䦶--䲣䲟䲠䲡䱷䲢䴓䴔䴕䴖䴗䴘䴙䶮"}};

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
        for (const auto &[code, chars] : fixes) {
            // Indices run on over the trail byte 7F, which no code has.
            int index = twoByteIndex(code >> 8, code & 0xFF);
            for (const char16_t ch : chars) {
                if (ch != u'-') fromTwoByte[index] = ch;
                ++index;
            }
        }
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
