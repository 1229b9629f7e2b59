#include "platform/artwork.h"

#include <QGuiApplication>

QPixmap artwork(const QString &file)
{
    const QString path = QStringLiteral(":/art/") + file;
    // QPixmap does not look for @2x files as QIcon does; QImageReader, which
    // it reads through, takes the ratio from the name.
    if (qApp->devicePixelRatio() > 1.0) {
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        const QPixmap doubled(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
        if (!doubled.isNull()) return doubled;
    }
    return QPixmap(path);
}
