#pragma once

// GB18030, the code page of every file the program keeps. Qt's ICU codec does
// the work on Linux; on Windows, whose Qt has no ICU, the system's code page
// 936 gives the two-byte codes and the four-byte forms are counted out from
// them, so that the bytes are the same on both.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace codepage {

// Every character gets its GB18030 bytes; an unpaired surrogate is written as U+FFFD.
QByteArray encode(QStringView text);
// Each sequence that is not GB18030, a truncated one at the end included,
// becomes U+FFFD; only the lead byte of a broken sequence is taken, and what
// follows it is read again on its own.
QString decode(QByteArrayView bytes);

} // namespace codepage
