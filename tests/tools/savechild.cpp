// Saves a large schedule over and over until it is killed, so that a test can
// kill it in the middle of a save and look at what is left on disk.
//
// usage: savechild <folder> <generation>
// Saves generation N, then N + 1, then N again, and so on, to Task.sts and
// Time.stt in folder as one record, and prints "saved <generation>" after each.
// The rows must stay the same as those tst_killsave expects.

#include "platform/journal.h"
#include "support/generations.h"

#include <cstdio>

namespace {

using generations::rowCount;
using generations::taskRow;
using generations::timeRow;

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: savechild <folder> <generation>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = false;
    const int first = QByteArray(argv[2]).toInt(&ok);
    if (!ok) {
        std::fprintf(stderr, "savechild: not a generation number: %s\n", argv[2]);
        return 2;
    }

    // Both generations are built once, so that nearly all the time goes into saving.
    QStringList times[2], tasks[2];
    for (int g = 0; g < 2; ++g) {
        for (int i = 0; i < rowCount; ++i) {
            times[g] << timeRow(first + g, i);
            tasks[g] << taskRow(first + g, i);
        }
    }
    for (int which = 0;; which = 1 - which) {
        const auto saved = textfile::saveTogether(folder, {{"Task.sts", tasks[which]}, {"Time.stt", times[which]}});
        for (const FileFailure &failure : saved.failures) {
            std::fprintf(stderr, "savechild: %s: %s\n", qPrintable(failure.file), qPrintable(failure.reason));
            return 1;
        }
        std::printf("saved %d\n", first + which);
        std::fflush(stdout);
    }
}
