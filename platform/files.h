#pragma once

#include "platform/textfile.h"

// The files of the program's folder: the two task lists, line by line in the
// system code page, and the settings file with its classic profile functions.
class Files
{
public:
    virtual ~Files() = default;

    // The path of name in folder, whatever the letter case of the file on disk.
    virtual QString find(const QString &folder, const QString &name) { return textfile::findNoCase(folder, name); }
    virtual std::optional<QStringList> readLines(const QString &path) { return textfile::readLines(path); }
    // The files of one record, all saved or none (see textfile::saveTogether).
    // A folder not there yet (the user's data folder before the first save) is made.
    virtual textfile::SaveOutcome saveTogether(const QString &folder, const QList<textfile::FileUpdate> &updates);
    virtual void finishSave(const QString &folder, const QStringList &names) { textfile::finishSave(folder, names); }

    virtual int getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file);
    virtual bool writePrivateProfileString(
        const QString &section, const QString &key, const QString &value, const QString &file);
};
