// The whole program, as main.cpp runs it, on a given folder, with a hook that
// stands in for the user. Usage: appchild <folder> add|list|alert|hidden
// It prints "ready" once the hook has done its part.
#include "shell/application.h"
#include "shell/form1.h"
#include "support/fakes.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 3) return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode = argv[2];
    return runApplication(argc, argv, folder, [mode](Form1 &form) {
        if (mode == "add") {
            form.Check1->setChecked(true);
            for (auto [h, m, s, text] : {std::tuple{"14", "30", "00", "开会"}, std::tuple{"9", "05", "00", "吃饭"}}) {
                typeEntry(form, h, m, s, QString::fromUtf8(text));
                form.Command9->click();
            }
            form.move(120, 90);
        } else if (mode == "list") {
            for (int i = 0; i < form.List1->count(); ++i)
                std::printf("task %s|%s\n", qPrintable(form.List1->item(i)->text()),
                    form.List2->item(i)->text().toUtf8().constData());
            std::printf("at %d,%d %s\n", form.x(), form.y(), form.isVisible() ? "shown" : "hidden");
        } else if (mode == "hidden") {
            // Behind the tray, the last window on the screen closes: the
            // program goes on.
            form.hide();
            QTimer::singleShot(0, &form, [] {
                auto *box = new QWidget;
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->show();
                box->close();
                // Two turns of the loop: a quit Qt posts comes first.
                QTimer::singleShot(0, [] {
                    QTimer::singleShot(0, [] {
                        std::printf("ready\n");
                        std::fflush(stdout);
                    });
                });
            });
            return;
        } else if (mode == "alert") {
            // The schedule emptied, then a box left open: the end must come
            // from inside its own loop, and save the empty schedule.
            form.Check1->setChecked(true);
            form.Command11->click();
            QTimer::singleShot(0, &form, [&form] {
                std::printf("ready\n");
                std::fflush(stdout);
                form.Command18->click();
            });
            return;
        }
        std::printf("ready\n");
        std::fflush(stdout);
    });
}
