// Feeds arbitrary bytes to the settings file reader and writer. Besides crashes
// and sanitizer reports it checks that whatever is written reads back, that
// writing it again changes nothing, and that other keys keep their values.

#include "platform/profile.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {

const QString setup = QStringLiteral("Setup_Info");

void check(const QByteArray &contents, const QString &section, const QString &key, int value)
{
    const QByteArray written = profile::withValue(contents, section, key, QString::number(value));
    if (profile::readInt(written, section, key, value ^ 1) != value) abort();
    if (profile::withValue(written, section, key, QString::number(value)) != written) abort();
    for (const QString &other : {QStringLiteral("Left"), QStringLiteral("Top")}) {
        if (other.compare(key.trimmed(), Qt::CaseInsensitive) == 0) continue;
        if (profile::readInt(contents, section, other, -7) != profile::readInt(written, section, other, -7)) abort();
    }
    if (section.trimmed().compare(QStringLiteral("Other"), Qt::CaseInsensitive) != 0
        && profile::readInt(contents, QStringLiteral("Other"), key, -7)
            != profile::readInt(written, QStringLiteral("Other"), key, -7)) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), qsizetype(size));
    // The value from the input's first bytes, so that the fuzzer steers it too.
    int value = 0;
    for (qsizetype i = 0; i < qMin<qsizetype>(contents.size(), 4); ++i)
        value = value << 8 | uchar(contents[i]);
    check(contents, setup, QStringLiteral("Left"), value);
    check(contents, setup, QStringLiteral(" top\t"), -(value / 3)); // never -INT_MIN
    check(contents, QStringLiteral("SETUP_INFO"), QStringLiteral("Top"), 3735);
    check(contents, QStringLiteral("Other"), QStringLiteral("Left"), 0);
    check(contents, QString::fromUtf8("设置"), QString::fromUtf8("左"), 1);
    return 0;
}
