#pragma once

#include "platform/journal.h"
#include "platform/profile.h"

#include <QDir>

// The files of the program's folder: the two task lists, line by line in the
// GB18030 code page, and the settings file with its classic profile functions.
class Files
{
public:
    virtual ~Files() = default;

    // The path of name in folder, whatever the letter case of the file on disk.
    virtual QString find(const QString &folder, const QString &name) { return textfile::findNoCase(folder, name); }
    virtual std::optional<QStringList> readLines(const QString &path) { return textfile::readLines(path); }
    // The files of one record, all saved or none. A folder not there yet (the
    // user's data folder before the first save) is made: a run that saves
    // nothing leaves no folder, and every exit saves the schedule before the
    // window position, so the settings file finds the folder there. Should
    // making it fail, the save says which file could not be written.
    virtual textfile::SaveOutcome saveTogether(const QString &folder, const QList<textfile::FileUpdate> &updates)
    {
        QDir().mkpath(folder);
        return textfile::saveTogether(folder, updates);
    }
    virtual void finishSave(const QString &folder, const QStringList &names) { textfile::finishSave(folder, names); }

    virtual int getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file)
    {
        return profile::getInt(section, key, def, file);
    }
    virtual bool writePrivateProfileString(
        const QString &section, const QString &key, const QString &value, const QString &file)
    {
        return profile::writeString(section, key, value, file);
    }
};
