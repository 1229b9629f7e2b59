#include "platform/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// The faces to look for, best first: SimSun itself, then Song-style (serif)
// CJK faces that Linux desktops ship, then sans faces that at least cover
// the characters. SimSun first, always, then the others narrowed to the
// faces installed, looked up once: every font of the windows would otherwise
// ask the font system again for each face that is missing. The installed
// families are compared by name: QFontDatabase::hasFamily asks fontconfig to
// resolve each missing name as an alias, which cost a quarter of the start-up.
const QStringList &installedFamilies()
{
    static const QStringList families = [] {
        const QStringList preferred{QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
            QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"), QStringLiteral("Noto Serif CJK SC"),
            QStringLiteral("Source Han Serif SC"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei")};
        const QStringList installed = QFontDatabase::families();
        QStringList chosen{preferred.first()};
        for (const QString &family : preferred.mid(1))
            if (installed.contains(family, Qt::CaseInsensitive)) chosen.append(family);
        return chosen.size() > 1 ? chosen : preferred;
    }();
    return families;
}

} // namespace

QFont songFont(double pointSize, bool bold)
{
    QFont font;
    font.setFamilies(installedFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}
