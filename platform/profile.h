#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// Reader and writer for small initialisation files ("[Section]" and "key=value" lines),
// with the semantics of the classic profile functions: section and key names match
// without regard to case, the first match wins, and writing keeps every other line
// of the file byte for byte. The file text is in the system code page (GB18030).
namespace profile {

// The integer value of key in section of file, or def when the file, the section or the key is missing.
int getInt(const QString &section, const QString &key, int def, const QString &file);

// Sets key in section to value, creating file, section and key as needed. False (with a reason) on failure;
// the old file then stays as it was.
bool writeString(
    const QString &section, const QString &key, const QString &value, const QString &file, QString *error = nullptr);

// Leading blanks, an optional sign, then decimal digits up to the first non-digit; 0 without digits.
// Values beyond the int range are clamped to INT_MAX / INT_MIN.
int parseLeadingInt(QStringView value);

// The value (blanks around it trimmed) of the first matching key in the first matching section.
// Section and key are looked up with surrounding blanks trimmed.
std::optional<QString> findValue(const QByteArray &contents, const QString &section, const QString &key);

// Why key=value in section cannot be written so that findValue reads it back, or an empty string when it can.
// Names and values must not hold line breaks, the key must not be empty, hold '=' or start with ';' or '[',
// and all three must survive the code page.
QString unstorableReason(const QString &section, const QString &key, const QString &value);

// contents with key in section set to value. Unchanged when unstorableReason() is not empty.
QByteArray setValue(const QByteArray &contents, const QString &section, const QString &key, const QString &value);

} // namespace profile
