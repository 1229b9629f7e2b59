#include "platform/files.h"

#include "platform/profile.h"

#include <QDir>

textfile::SaveOutcome Files::saveTogether(const QString &folder, const QList<textfile::FileUpdate> &updates)
{
    // Made only when something is saved: a run that saves nothing leaves no
    // folder. Every exit saves the schedule before the window position, so
    // the settings file finds the folder there. Should this fail, the save
    // itself says which file could not be written.
    QDir().mkpath(folder);
    return textfile::saveTogether(folder, updates);
}

int Files::getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file)
{
    return profile::getInt(section, key, def, file);
}

bool Files::writePrivateProfileString(
    const QString &section, const QString &key, const QString &value, const QString &file)
{
    return profile::writeString(section, key, value, file);
}
