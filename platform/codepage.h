#pragma once

// GB18030 where Qt has no converter for it (Windows, whose Qt lacks ICU): the
// system's code page 936 gives the two-byte codes, and GB18030's four-byte
// forms are counted out from them, so the bytes are those Qt's ICU codec
// writes on Linux.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace codepage {

// Every character gets its GB18030 bytes; an unpaired surrogate is written as U+FFFD.
QByteArray encodeGb18030(QStringView text);
// The bytes as a whole: each sequence that is not GB18030, a truncated one at
// the end included, becomes U+FFFD. Only the lead byte of a broken sequence is
// taken; what follows it is read again on its own.
QString decodeGb18030(QByteArrayView bytes);

} // namespace codepage
