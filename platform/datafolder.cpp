#include "platform/datafolder.h"

#include <QCoreApplication>
#include <QStandardPaths>

QString dataFolder()
{
#ifdef QUORVALENT_USER_DATA
    // Installed into /usr/bin, the program's folder is not its user's.
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#else
    return QCoreApplication::applicationDirPath();
#endif
}
