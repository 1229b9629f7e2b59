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
    virtual std::optional<FileFailure> writeLines(const QString &path, const QStringList &rows)
    {
        return textfile::writeLines(path, rows);
    }
    virtual std::optional<FileFailure> remove(const QString &path) { return textfile::remove(path); }

    virtual int getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file);
    virtual bool writePrivateProfileString(
        const QString &section, const QString &key, const QString &value, const QString &file);
};
