#pragma once

// The rows of one generation of a large schedule, as tools/savechild writes
// them and tst_killsave expects them: old and new saves stay distinguishable.

#include <QString>

namespace generations {

constexpr int rowCount = 20000;

inline QString timeRow(int generation, int i)
{
    return QStringLiteral("%1:%2:%3 #%4/%5")
        .arg(i / 3600 % 24, 2, 10, QChar(u'0'))
        .arg(i / 60 % 60, 2, 10, QChar(u'0'))
        .arg(i % 60, 2, 10, QChar(u'0'))
        .arg(generation)
        .arg(i);
}

inline QString taskRow(int generation, int i) { return u"时提醒您：第%1代第%2号方案"_qs.arg(generation).arg(i); }

} // namespace generations
