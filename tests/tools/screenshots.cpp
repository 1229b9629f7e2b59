// Shows the real windows on the X display and saves what the screen shows of
// each, for people to look at. Run by scripts/screenshot under Xvfb.
#include "platform/messageboxes.h"
#include "shell/application.h"
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <tuple>

namespace {

QString g_folder;

void settle(int ms = 300) { QTest::qWait(ms); }

void shoot(QWidget *window, const QString &name)
{
    window->raise();
    settle();
    const QRect r = window->frameGeometry();
    const QPixmap shot = window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
    shot.save(path);
    printf("%s\n", qPrintable(path));
}

// Shoots the real message box that open() brings up, then dismisses it
// with Esc (Cancel, or OK where OK is the only button).
void shootBox(const QString &name, const std::function<void()> &open)
{
    QTimer::singleShot(0, [name] {
        QWidget *box = nullptr;
        if (!QTest::qWaitFor([&box] { return (box = QApplication::activeModalWidget()) != nullptr; })) return;
        if (QTest::qWaitForWindowExposed(box)) shoot(box, name);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    open();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    installQtTranslations();
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(g_folder);

    TestPlatform tp;
    tp.clock.set(QDateTime(QDate(2026, 3, 14), QTime(14, 29, 55)));
    Form1 form(tp.platform());
    form.move(0, 0);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    shoot(&form, QStringLiteral("form1-compact"));

    form.Check2->setChecked(false);
    shoot(&form, QStringLiteral("form1-full"));

    // The hover frame round a button, in the compact layout.
    form.Check2->setChecked(true);
    form.Command8_MouseMove();
    shoot(&form, QStringLiteral("form1-hover"));

    // A single reminder typed in, as the guide explains it: 9:05:00 is 9, 05, 00.
    form.Form_MouseMove();
    typeEntry(form, QStringLiteral("9"), QStringLiteral("05"), QStringLiteral("00"), QStringLiteral("开会"));
    shoot(&form, QStringLiteral("form1-entry"));

    // A single task running: the entry locked, the frame round the clock.
    form.Text1->setText(QStringLiteral("14"));
    form.Text2->setText(QStringLiteral("30"));
    form.Text3->setText(QStringLiteral("00"));
    form.Text4->setText(QStringLiteral("开会"));
    form.Command5_Click();
    shoot(&form, QStringLiteral("form1-running"));
    form.Command6_Click();

    // The clock bar in place of the main window, after its first tick.
    form.Command8_Click();
    tick(form.form2().Timer1);
    shoot(&form.form2(), QStringLiteral("form2"));
    form.form2().Command1_Click();

    // The about window over the disabled main window.
    form.Form_DblClick();
    shoot(form.form3(), QStringLiteral("form3"));
    form.form3()->Form_Click();

    // A schedule of two tasks, in the full layout.
    form.Form_MouseMove();
    form.Check1->setChecked(true);
    for (auto [h, m, sec, text] : {std::tuple{"9", "05", "00", "开会"}, std::tuple{"14", "30", "00", "吃饭"}}) {
        typeEntry(form, QString::fromUtf8(h), QString::fromUtf8(m), QString::fromUtf8(sec), QString::fromUtf8(text));
        form.Command9_Click();
    }
    shoot(&form, QStringLiteral("form1-schedule"));
    form.hide();

    // A start-up on a holiday: the greeting alone.
    TestPlatform holiday;
    holiday.clock.set(QDateTime(QDate(2004, 12, 25), QTime(9, 0, 0)));
    Form1 greeted(holiday.platform());
    shoot(greeted.form4(), QStringLiteral("form4"));
    greeted.form4()->hide();

    // The real boxes: the exit question and an alert of the schedule runner.
    TestPlatform fakes;
    fakes.clock.set(QDateTime(QDate(2026, 3, 14), QTime(14, 29, 59)));
    QtMessageBoxes boxes;
    Form1 boxed(Platform{boxes, fakes.clock, fakes.timers, fakes.files, fakes.tray, fakes.dir.path()});
    boxed.move(0, 0);
    boxed.show();
    if (!QTest::qWaitForWindowExposed(&boxed)) return 1;
    shootBox(QStringLiteral("box-exit"), [&boxed] { boxed.Command7_Click(); });
    boxed.Check2->setChecked(false);
    boxed.Check1->setChecked(true);
    boxed.Text1->setText(QStringLiteral("14"));
    boxed.Text2->setText(QStringLiteral("30"));
    boxed.Text3->setText(QStringLiteral("00"));
    boxed.Text4->setText(QStringLiteral("开会"));
    boxed.Command9_Click();
    shootBox(QStringLiteral("box-started"), [&boxed] { boxed.Command18_Click(); });
    fakes.clock.set(14, 30, 0);
    shootBox(QStringLiteral("box-alert"), [&boxed] { tick(boxed.Timer2); });
    return 0;
}
