#pragma once

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/tray.h"

#include <QHash>
#include <QList>
#include <QTemporaryDir>

#include <functional>

// A clock the test sets by hand.
class FakeClock : public Clock
{
public:
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void set(int h, int m, int s) { m_now = QDateTime(m_now.date(), QTime(h, m, s)); }

private:
    QDateTime m_now{QDate(2026, 3, 14), QTime(10, 0, 0)};
};

// Records every box and answers from a script. A scripted answer may carry an
// action that runs while its box is "open", as a nested event loop would run
// timers and clicks; boxes opened by that action take the next answers.
class FakeBoxes : public MessageBoxes
{
public:
    struct Box
    {
        QString text;
        Buttons buttons;
        QString title;
    };

    Answer show(const QString &text, Buttons buttons, const QString &title, BoxKind kind) override;

    // Queue the answer for the next box to open.
    void answer(Answer answer, std::function<void()> whileOpen = {});

    QList<Box> shown;
    QStringList texts() const;

private:
    struct Step
    {
        Answer answer;
        std::function<void()> whileOpen;
    };
    QList<Step> m_script;
};

// A timer the test steps by hand; tick() fires only while it is enabled.
class FakeTimer : public Timer
{
    Q_OBJECT
public:
    FakeTimer(QObject *owner, int intervalMs, bool enabled);
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    int interval() const override { return m_interval; }
    void setInterval(int ms) override { m_interval = ms; }
    // Fires as the real timer would: only when enabled. Returns whether it fired.
    bool fire();

private:
    bool m_enabled;
    int m_interval;
};

class FakeTimers : public TimerFactory
{
public:
    Timer *create(QObject *owner, const QString &name, int intervalMs, bool enabled) override;
};

// The real files of the (temporary) program folder, with failures on demand.
class FakeFiles : public Files
{
public:
    explicit FakeFiles(QStringList &log)
        : m_log(log)
    { }
    std::optional<QStringList> readLines(const QString &path) override;
    textfile::SaveOutcome saveTogether(const QString &folder, const QList<textfile::FileUpdate> &updates) override;
    int getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file) override;
    bool writePrivateProfileString(
        const QString &section, const QString &key, const QString &value, const QString &file) override;
    // File names (without folder) whose saving fails with this reason; nothing is saved then.
    QHash<QString, QString> failing;

private:
    QStringList &m_log;
};

// A notification area the test controls: it logs what is added and removed,
// and sends notifications as the desktop would.
class FakeTray : public Tray
{
    Q_OBJECT
public:
    explicit FakeTray(QStringList &log)
        : m_log(log)
    { }
    bool available = true;
    bool isAvailable() const override { return available; }
    bool notifyIcon(Operation operation, const NotifyIconData &record) override;
    // Activity on the icon: a notification of that kind to the added icon's window.
    void activity(Kind kind = LeftDown);

    bool shown() const { return m_added; }

private:
    QStringList &m_log;
    bool m_added = false;
    NotifyIconData m_record;
};

// Fires a window's timer by hand.
bool tick(Timer *timer);

class Form1;
class QListWidget;
// Types a time and a text into the main window's four fields.
void typeEntry(Form1 &f, const QString &h, const QString &m, const QString &s, const QString &text);
// The texts of a list's rows.
QStringList rows(const QListWidget *list);

// Everything a window needs, faked, with a temporary program folder.
struct TestPlatform
{
    TestPlatform();
    // What the fakes were asked to do, in order: "read Task.sts", "write Time.stt",
    // "delete Task.sts", "profile read Left", "profile write Top", "tray add", "tray delete".
    QStringList log;
    FakeBoxes boxes;
    FakeClock clock;
    FakeTimers timers;
    FakeFiles files{log};
    FakeTray tray{log};
    QTemporaryDir dir;
    Platform platform() { return Platform{boxes, clock, timers, files, tray, dir.path()}; }
    QString path(const QString &name) const { return dir.filePath(name); }
};

// Whole-file helpers for tests that look at bytes on disk.
void writeFile(const QString &path, const QByteArray &bytes);
// The file's bytes, or "<missing>" when it cannot be read.
QByteArray readFile(const QString &path);
