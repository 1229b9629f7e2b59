#include "platform/fonts.h"

#include <QStringList>

QFont songFont(double pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
        QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Source Han Serif SC"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Zen Hei")});
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}
