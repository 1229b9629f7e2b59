// The whole program, as main.cpp runs it, on a given folder, with a hook that
// stands in for the user. Usage: appchild <folder> add|list|alert|hidden|shown|tray|bar|about
// It prints "ready" once the hook has done its part. The last four leave the
// main window so, another window active, and then report every activation of
// the main or the about window.
#include "shell/application.h"
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"
#include "windows/form3.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// Prints "ready" once another window is active, and from then on, whenever
// the main or the about window has been activated and the step that did it is
// over: which window is active, and the main window's state.
struct Activations : QObject
{
    Form1 &form;
    QWidget other; // another program's window, which has the keyboard
    bool ready = false;
    explicit Activations(Form1 &f) : QObject(&f), form(f)
    {
        QApplication::instance()->installEventFilter(this);
        other.show();
        other.activateWindow();
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::WindowActivate) return false;
        if (watched == &other && !ready) {
            ready = true;
            std::printf("ready\n");
        } else if (ready && (watched == &form || watched == form.form3())) {
            QTimer::singleShot(0, &form, [this] {
                const QWidget *active = QApplication::activeWindow();
                std::printf("active %s, main %s %s %s%s%s\n",
                    active == &form ? "main" : active && active == form.form3() ? "about" : "other",
                    form.isVisible() ? "shown" : "hidden", form.isMinimized() ? "minimized" : "normal",
                    form.isEnabled() ? "enabled" : "disabled", form.HiddenToTray ? ", in the tray" : "",
                    form.form2Created() && form.form2().isVisible() ? ", clock bar shown" : "");
                std::fflush(stdout);
            });
        }
        std::fflush(stdout);
        return false;
    }
};

} // namespace

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
        } else if (mode == "shown" || mode == "tray" || mode == "bar" || mode == "about") {
            if (mode == "tray") {
                form.showMinimized();
                form.hide();
                form.HiddenToTray = true;
            } else if (mode == "bar") {
                form.Command8_Click();
            } else if (mode == "about") {
                form.Form_DblClick();
            }
            new Activations(form);
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
