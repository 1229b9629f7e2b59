// The program left alone with the schedule runner on, for measuring from
// outside how much it wakes and spends while idle (bench/run does).
//
//   bench_idle <folder>
//
// The hook ticks 多任务 and starts the runner the way 开始执行 does, minus
// its box; then it prints "ready". The schedule is empty: whatever the
// process does from then on is the cost of the clock and the runner ticking.

#include "platform/timer.h"
#include "shell/application.h"
#include "shell/form1.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    return runApplication(argc, argv, QString::fromLocal8Bit(argv[1]), [](Form1 &form) {
        if (form.form4()) {
            std::fprintf(stderr, "the holiday greeting stands in for the main window today\n");
            std::exit(3);
        }
        form.Check1->click();
        form.Timer2->setEnabled(true);
        std::printf("ready\n");
        std::fflush(stdout);
    });
}
