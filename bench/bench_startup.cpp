// Start-up to the first paint of the main window, and peak memory at that
// point, of the program against a bare Qt Widgets window with as many
// controls of the same kinds (bench_bare). Each start is a fresh process.
//
//   bench_startup [--runs N]        starts each N times (after one start of
//                                   each that is not counted) and prints a line
//                                   "startup who=program|bare n=.. median_ms=.."
//   bench_startup --child <folder>  one start of the program on that folder:
//                                   what the first form runs
//
// The platform is whatever QT_QPA_PLATFORM (and DISPLAY) say. Time counts
// from just before exec, so loading the libraries is included: the launcher
// hands its monotonic clock to the child in QUORVALENT_BENCH_T0. Without it,
// the kernel's start time of the process is used, which has 10 ms steps.

#include "bench/firstpaint.h"
#include "bench/options.h"
#include "bench/stats.h"
#include "shell/application.h"
#include "shell/form1.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bench;

int runChild(int argc, char *argv[], const QString &folder)
{
    return runApplication(argc, argv, folder, [](Form1 &form) {
        if (form.form4()) {
            std::fprintf(stderr, "the holiday greeting stands in for the main window today\n");
            std::_Exit(3);
        }
        form.installEventFilter(new FirstPaint(&form));
    });
}

// What one start printed: its first_paint line.
using Sample = std::string;

// Starts one fresh process and reads the figures it prints.
bool startOnce(const std::string &program, const std::vector<std::string> &args, Sample &out)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        char t0[64];
        std::snprintf(t0, sizeof t0, "%.6f", clockMs(CLOCK_MONOTONIC));
        setenv(T0Variable, t0, 1);
        execv(program.c_str(), argv.data());
        std::_Exit(127);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buffer, size_t(n));
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s exited with status %d\n", program.c_str(), status);
        return false;
    }
    const size_t line = text.find("first_paint ");
    if (line == std::string::npos) {
        std::fprintf(stderr, "%s printed no first_paint line\n", program.c_str());
        return false;
    }
    out = text.substr(line, text.find('\n', line) - line);
    return true;
}

int runLauncher(int runs)
{
    const std::string self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString();
    const std::string bare = QFileInfo(QString::fromStdString(self)).absolutePath().toStdString() + "/bench_bare";
    if (access(bare.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "%s is missing\n", bare.c_str());
        return 1;
    }
    std::vector<Sample> program, baseline;
    // The first start of each only warms the file cache.
    for (int run = -1; run < runs; ++run) {
        // Alternate who goes first, so that neither always follows the other.
        for (int turn = 0; turn < 2; ++turn) {
            const bool isProgram = (turn == 0) == (run % 2 == 0);
            Sample s;
            bool ok;
            if (isProgram) {
                // A fresh empty folder each time: no schedule, no saved position.
                char folder[] = "/tmp/quorvalent-bench-XXXXXX";
                if (!mkdtemp(folder)) return 1;
                ok = startOnce(self, {"--child", folder}, s);
                QDir(QString::fromLocal8Bit(folder)).removeRecursively();
            } else {
                ok = startOnce(bare, {}, s);
            }
            if (!ok) return 1;
            if (run >= 0) (isProgram ? program : baseline).push_back(s);
        }
    }
    for (const auto &[name, samples] : {std::pair{"program", &program}, std::pair{"bare", &baseline}}) {
        std::vector<double> ms, paint, rss;
        for (const Sample &s : *samples) {
            ms.push_back(field(s, "startup_ms"));
            paint.push_back(field(s, "paint_start_ms"));
            rss.push_back(field(s, "peak_rss_kb"));
        }
        Record("startup")
            .text("who", name)
            .summary(summarise(ms), "ms")
            .number("paint_start_ms", summarise(paint).median)
            .count("peak_rss_kb", std::llround(summarise(rss).median))
            .print();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && !std::strcmp(argv[1], "--child")) return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    Options options(argc, argv, "[--runs N] | --child <folder>");
    const int runs = int(options.positive("--runs", 10, true));
    options.finish();
    return runLauncher(runs);
}
