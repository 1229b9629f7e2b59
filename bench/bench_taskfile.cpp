// Time to save and to load the raw task files at growing sizes, the medians
// of five runs, one line each:
//   taskfile rows=.. file=Time.stt|Task.sts runs=5 write_ms=.. read_ms=.. bytes=..

#include "bench/stats.h"
#include "platform/textfile.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

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
    return bench::summarise(times).median;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
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
            bench::Record("taskfile")
                .count("rows", count)
                .text("file", name)
                .count("runs", runs)
                .number("write_ms", write, 2)
                .number("read_ms", read, 2)
                .count("bytes", QFileInfo(path).size())
                .print();
        }
    }
    return 0;
}
