#pragma once

// The settings file: "[Section]" and "key=value" lines in the GB18030 code
// page, read as the classic profile functions read them (section and key names
// in any letter case, blanks around them ignored, the first match wins, the
// leading digits of a value) and written so that every other byte of the file
// stays as it was.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace profile {

// The integer at the start of key's value in section: blanks, an optional
// sign, then decimal digits up to the first non-digit, 0 without digits,
// clamped to the int range. def when the section or the key is missing.
int readInt(QByteArrayView contents, const QString &section, const QString &key, int def);
// contents with key in section set to value, section and key added as needed.
QByteArray withValue(const QByteArray &contents, const QString &section, const QString &key, const QString &value);

// The same on a file: def when it cannot be read.
int getInt(const QString &section, const QString &key, int def, const QString &file);
// False when the file cannot be read or written; the old file then stays as it was.
bool writeString(const QString &section, const QString &key, const QString &value, const QString &file);

} // namespace profile
