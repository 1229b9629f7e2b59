// Time to save and to load schedules of growing size. Goal: 100,000 rows
// each way in under half a second.

#include "platform/textfile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr int runs = 5;

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::printf("%-10s %-9s %12s %12s %10s\n", "rows", "file", "write ms", "read ms", "bytes");
    for (int count : {100, 10000, 100000}) {
        QStringList times, tasks;
        for (int i = 0; i < count; ++i) {
            times << QStringLiteral("%1:%2:%3")
                         .arg(i % 24, 2, 10, QChar(u'0'))
                         .arg(i % 60, 2, 10, QChar(u'0'))
                         .arg(i * 7 % 60, 2, 10, QChar(u'0'));
            tasks << u"时提醒您：开会讨论第%1号方案"_qs.arg(i);
        }
        for (const auto &[name, rows] : {std::pair{"Time.stt", &times}, std::pair{"Task.sts", &tasks}}) {
            const QString path = dir.filePath(QLatin1String(name));
            bool ok = true;
            const double write = medianMs([&] { ok = !textfile::writeLines(path, *rows) && ok; });
            const double read = medianMs([&] { ok = textfile::readLines(path) == *rows && ok; });
            if (!ok) {
                std::fprintf(stderr, "%s: what was read differs from what was written\n", name);
                return 1;
            }
            std::printf("%-10d %-9s %12.2f %12.2f %10lld\n", count, name, write, read,
                static_cast<long long>(QFileInfo(path).size()));
        }
    }
    std::printf("median of %d runs; goal: 100000 rows each way under 500 ms\n", runs);
    return 0;
}
