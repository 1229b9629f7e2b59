// Feeds arbitrary bytes to the profile reader and writer. Besides crashes and sanitizer reports it
// checks that whatever setValue() stores, findValue() reads back, and that other keys keep their values.

#include "platform/profile.h"

#include <QStringDecoder>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {

QString trimBlanks(QString s)
{
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s.remove(0, 1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s;
}

void check(const QByteArray &contents, const QString &section, const QString &key, const QString &value)
{
    const QByteArray written = profile::setValue(contents, section, key, value);
    if (!profile::unstorableReason(section, key, value).isEmpty()) {
        if (written != contents) abort(); // refused text must leave the file alone
        return;
    }
    const std::optional<QString> found = profile::findValue(written, section, key);
    if (!found || *found != trimBlanks(value)) abort();
    // Writing the same again changes nothing.
    if (profile::setValue(written, section, key, value) != written) abort();
    // A key elsewhere keeps its value.
    const QString other = trimBlanks(key).compare(QStringLiteral("Top"), Qt::CaseInsensitive) == 0
        ? QStringLiteral("Left")
        : QStringLiteral("Top");
    if (profile::findValue(contents, section, other) != profile::findValue(written, section, other)) abort();
    if (profile::findValue(contents, QStringLiteral("Other"), other)
        != profile::findValue(written, QStringLiteral("Other"), other)) {
        if (trimBlanks(section).compare(QStringLiteral("Other"), Qt::CaseInsensitive) != 0) abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), qsizetype(size));

    // Fixed names, as the program uses them.
    const QString setup = QStringLiteral("Setup_Info");
    for (const char *key : {"Left", "Top", "left", ""}) {
        if (const auto value = profile::findValue(contents, setup, QString::fromLatin1(key)))
            (void)profile::parseLeadingInt(*value);
    }
    (void)profile::findValue(contents, QStringLiteral(""), QStringLiteral("Left"));
    check(contents, setup, QStringLiteral("Left"), QStringLiteral("-120"));
    check(contents, setup, QStringLiteral("Top"), QStringLiteral("3735"));
    check(contents, QStringLiteral("Other"), QStringLiteral("Left"), QStringLiteral(""));

    // Names and value taken from the input itself: the first line, split at '|', decoded as the file is.
    qsizetype end = contents.indexOf('\n');
    if (end < 0) end = contents.size();
    QStringDecoder decoder("GB18030");
    const QStringList parts = QString(decoder.decode(contents.left(end))).split(u'|');
    if (parts.size() >= 3) check(contents, parts[0], parts[1], parts[2]);
    return 0;
}
