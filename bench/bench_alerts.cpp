// How late into its second an alert is on the screen: from the start of the
// target second to the moment the alert box's first paint has been handled,
// for the single reminder and for the schedule runner of the real main window,
// or for a baseline watch as a naive port would write it. The box closes
// itself shortly after it was painted, as if the user had read it.
//
//   bench_alerts [--minutes M] [--naive]
//
// Prints one line per kind of alert:
//   alerts kind=<single|runner|naive> n=.. min_ms=.. median_ms=.. p99_ms=.. max_ms=.. later_second=.. missed=..
// later_second counts alerts painted after their own second had ended;
// missed counts targets that never got an alert.

#include "bench/options.h"
#include "bench/stats.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/tray.h"
#include "platform/wallclocktimer.h"
#include "shell/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

QString timeText(qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms).time().toString(QStringLiteral("H:mm:ss")); }

struct Kind
{
    std::vector<qint64> latencies;
    qint64 pendingTarget = 0; // start of the second an alert is awaited for, or 0
    int missed = 0;
};

std::map<QString, Kind> g_kinds;

// Which kind an alert's text belongs to.
QString kindOf(const QString &text)
{
    if (text.startsWith(QStringLiteral("我要提醒您:"))) return QStringLiteral("single");
    if (text.endsWith(QStringLiteral("请单击“确定”按钮删除此消息"))) return QStringLiteral("runner");
    if (text.startsWith(QStringLiteral("naive "))) return QStringLiteral("naive");
    return QString();
}

// Records the first paint of every alert box, and closes the box a little later.
class PaintWatch : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *box = qobject_cast<QDialog *>(watched);
            auto *view = box ? box->findChild<QTextEdit *>() : nullptr;
            if (view && !box->property("painted").toBool()) {
                box->setProperty("painted", true);
                const QString kind = kindOf(view->toPlainText());
                // After the paint pass has returned, as the surface is flushed.
                QMetaObject::invokeMethod(
                    this,
                    [box, kind] {
                        const qint64 at = nowMs();
                        Kind &k = g_kinds[kind];
                        if (k.pendingTarget) {
                            k.latencies.push_back(at - k.pendingTarget);
                            k.pendingTarget = 0;
                        }
                        QTimer::singleShot(150, box, [box] {
                            if (auto *ok = box->findChild<QAbstractButton *>()) ok->click();
                        });
                    },
                    Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// Real boxes for the alerts; every other box (the confirmations of a start) is
// answered OK at once, as the user would.
class AlertBoxes : public MessageBoxes
{
public:
    Answer show(const QString &text, Buttons buttons, const QString &title, BoxKind kind) override
    {
        if (kindOf(text).isEmpty()) return Answer::Ok;
        return m_real.show(text, buttons, title, kind);
    }

private:
    QtMessageBoxes m_real;
};

// No notification area: nothing of it is measured here.
class NoTray : public Tray
{
public:
    bool isAvailable() const override { return false; }
    bool notifyIcon(Operation, const NotifyIconData &) override { return true; }
};

// The start of the second that comes two to three seconds from now, whose
// parity is the one asked for, so that the two kinds never share a second.
qint64 nextTarget(int parity)
{
    qint64 second = nowMs() / 1000 + 2;
    if (second % 2 != parity) ++second;
    return second * 1000;
}

// A target whose second is long over without an alert counts as missed.
void expire(Kind &k)
{
    if (k.pendingTarget && nowMs() > k.pendingTarget + 5000) {
        ++k.missed;
        k.pendingTarget = 0;
    }
}

void report(const QString &name, const Kind &k)
{
    bench::Record("alerts")
        .text("kind", name.toStdString())
        .summary(bench::summarise(k.latencies), "ms", 0)
        .count(
            "later_second", std::count_if(k.latencies.begin(), k.latencies.end(), [](qint64 l) { return l >= 1000; }))
        .count("missed", k.missed)
        .print();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    bench::Options options(argc, argv, "[--minutes M] [--naive]");
    const double minutes = options.positive("--minutes", 1.0);
    const bool naive = options.flag("--naive");
    options.finish();
    app.setQuitOnLastWindowClosed(false);
    PaintWatch watch;
    app.installEventFilter(&watch);
    const qint64 end = nowMs() + qint64(minutes * 60000);

    // The driver arms a new target whenever the last one has had its alert.
    QTimer driver;
    driver.setInterval(250);
    QTemporaryDir dir;
    AlertBoxes boxes;
    SystemClock clock;
    WallClockTimers timers;
    Files files;
    NoTray tray;
    std::unique_ptr<Form1> form;
    QTimer naiveWatch; // the baseline: free-running, started whenever the program happens to start
    QString naiveTarget;

    if (naive) {
        naiveWatch.setInterval(1000);
        QObject::connect(&naiveWatch, &QTimer::timeout, [&] {
            const QString now = QTime::currentTime().toString(QStringLiteral("H:mm:ss"));
            if (now != naiveTarget) return;
            naiveTarget.clear();
            QtMessageBoxes().show(QStringLiteral("naive ") + now, Buttons::Ok, appTitle(), BoxKind::Alert);
        });
        naiveWatch.start();
        QObject::connect(&driver, &QTimer::timeout, [&] {
            Kind &k = g_kinds[QStringLiteral("naive")];
            expire(k);
            if (k.pendingTarget || nowMs() > end) return;
            k.pendingTarget = nextTarget(0);
            naiveTarget = timeText(k.pendingTarget);
        });
    } else {
        form = std::make_unique<Form1>(Platform{boxes, clock, timers, files, tray, dir.path()});
        form->show();
        form->Command18_Click(); // the runner, with the schedule empty for now
        QObject::connect(&driver, &QTimer::timeout, [&] {
            Kind &single = g_kinds[QStringLiteral("single")];
            Kind &runner = g_kinds[QStringLiteral("runner")];
            expire(single);
            expire(runner);
            if (nowMs() > end) return;
            if (!single.pendingTarget && form->Label9->text() != Form1::RunningStatus) {
                single.pendingTarget = nextTarget(0);
                const QStringList parts = timeText(single.pendingTarget).split(u':');
                form->Text1->setText(parts[0]);
                form->Text2->setText(parts[1]);
                form->Text3->setText(parts[2]);
                form->Text4->setText(QStringLiteral("单个提醒"));
                form->Command5_Click();
            }
            if (!runner.pendingTarget) {
                runner.pendingTarget = nextTarget(1);
                form->List1->addItem(timeText(runner.pendingTarget));
                form->List2->addItem(Form1::TaskPrefix + QStringLiteral("任务"));
            }
        });
    }
    driver.start();
    QTimer::singleShot(int(end - nowMs() + 6000), &app, [&] {
        // Quit only from the outermost loop; an open box would keep its handler on the stack.
        if (QApplication::activeModalWidget()) return;
        app.quit();
    });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (nowMs() > end + 6000 && !QApplication::activeModalWidget()) app.quit();
    });
    guard.start(500);
    app.exec();
    for (const auto &[name, kind] : g_kinds)
        report(name, kind);
    return 0;
}
