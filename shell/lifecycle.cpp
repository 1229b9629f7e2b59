// Leaving the program: the exit button, the close box, and the end of a session.
#include "shell/form1.h"

#include "platform/timer.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QCloseEvent>
#include <QDir>

bool Form1::exitRefusedWhileRunning()
{
    if (Label9->text() != RunningStatus) return false;
    box(QStringLiteral("请先取消目前正在运行的任务"));
    return true;
}

bool Form1::exitAnywayAfter(const textfile::SaveOutcome &saved)
{
    if (saved.failures.isEmpty()) return true;
    QStringList lines;
    for (const FileFailure &failure : saved.failures)
        lines.append(QStringLiteral("无法保存文件 %1：%2").arg(QDir::toNativeSeparators(failure.file), failure.reason));
    lines.append(QString());
    lines.append(saved.oldFilesKept
            ? QStringLiteral("Task.sts 和 Time.stt 都还是原来的任务表，本次的更改没有保存。仍然退出吗?")
            : QStringLiteral("任务表只换了一部分，下次启动时会换完。仍然退出吗?"));
    return box(lines.join(QLatin1Char('\n')), Buttons::OkCancel) == Answer::Ok;
}

void Form1::Command7_Click()
{
    if (exitRefusedWhileRunning()) return;
    if (box(QStringLiteral("确定退出吗?"), Buttons::OkCancel) != Answer::Ok) return;
    removeTrayIcon();
    if (!exitAnywayAfter(SaveTask())) {
        // Staying: everything as it was, the icon included.
        addTrayIcon();
        return;
    }
    WritePro();
    endApplication();
}

void Form1::Form_Unload(int &Cancel)
{
    if (exitRefusedWhileRunning()) {
        Cancel = 1;
        return;
    }
    if (box(QStringLiteral("确定退出吗?"), Buttons::OkCancel) != Answer::Ok || !exitAnywayAfter(SaveTask())) {
        Cancel = 1;
        return;
    }
    removeTrayIcon();
    WritePro();
    endApplication();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Disabled behind the about window, the main window takes no close request.
    if (!m_ended && !isEnabled()) {
        event->ignore();
        return;
    }
    int Cancel = 0;
    handle([&] { Form_Unload(Cancel); });
    event->setAccepted(Cancel == 0);
}

void Form1::endSession()
{
    // Logging out, shutting down or a termination signal: keep what the user
    // did in this run, without asking anything.
    handle([this] {
        SaveTask();
        removeTrayIcon();
        WritePro();
        endApplication();
    });
}

void Form1::endApplication()
{
    // At once: no timer ticks again and no window is left on the screen.
    m_ended = true;
    for (QWidget *window : Controls{this, m_form2.get(), m_form3.get(), m_form4.get()}) {
        if (!window) continue;
        for (Timer *timer : window->findChildren<Timer *>())
            timer->setEnabled(false);
        window->hide();
    }
    emit ended();
}
