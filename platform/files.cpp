#include "platform/files.h"

#include "platform/profile.h"

int Files::getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file)
{
    return profile::getInt(section, key, def, file);
}

bool Files::writePrivateProfileString(
    const QString &section, const QString &key, const QString &value, const QString &file)
{
    return profile::writeString(section, key, value, file);
}
