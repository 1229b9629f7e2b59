#include "support/fakes.h"

#include "shell/form1.h"

#include <QFile>
#include <QFileInfo>

Answer FakeBoxes::show(const QString &text, Buttons buttons, const QString &title, BoxKind)
{
    shown.append({text, buttons, title});
    if (m_script.isEmpty()) return Answer::Ok;
    const Step step = m_script.takeFirst();
    if (step.whileOpen) step.whileOpen();
    return step.answer;
}

void FakeBoxes::answer(Answer answer, std::function<void()> whileOpen)
{
    m_script.append({answer, std::move(whileOpen)});
}

QStringList FakeBoxes::texts() const
{
    QStringList result;
    for (const Box &box : shown)
        result.append(box.text);
    return result;
}

FakeTimer::FakeTimer(QObject *owner, int intervalMs, bool enabled)
    : Timer(owner)
    , m_enabled(enabled)
    , m_interval(intervalMs)
{ }

bool FakeTimer::fire()
{
    if (!m_enabled) return false;
    emit tick();
    return true;
}

Timer *FakeTimers::create(QObject *owner, const QString &, int intervalMs, bool enabled)
{
    return new FakeTimer(owner, intervalMs, enabled);
}

bool tick(Timer *timer)
{
    auto *fake = qobject_cast<FakeTimer *>(timer);
    Q_ASSERT(fake);
    return fake->fire();
}

std::optional<QStringList> FakeFiles::readLines(const QString &path)
{
    m_log.append(QStringLiteral("read ") + QFileInfo(path).fileName());
    return Files::readLines(path);
}

textfile::SaveOutcome FakeFiles::saveTogether(const QString &folder, const QList<textfile::FileUpdate> &updates)
{
    textfile::SaveOutcome outcome;
    for (const textfile::FileUpdate &update : updates) {
        m_log.append((update.rows ? QStringLiteral("write ") : QStringLiteral("delete ")) + update.name);
        if (failing.contains(update.name))
            outcome.failures.append({folder + u'/' + update.name, failing.value(update.name)});
    }
    if (!outcome.failures.isEmpty()) return outcome;
    return Files::saveTogether(folder, updates);
}

int FakeFiles::getPrivateProfileInt(const QString &section, const QString &key, int def, const QString &file)
{
    m_log.append(QStringLiteral("profile read ") + key);
    return Files::getPrivateProfileInt(section, key, def, file);
}

bool FakeFiles::writePrivateProfileString(
    const QString &section, const QString &key, const QString &value, const QString &file)
{
    m_log.append(QStringLiteral("profile write ") + key);
    return Files::writePrivateProfileString(section, key, value, file);
}

bool FakeTray::notifyIcon(Operation operation, const NotifyIconData &record)
{
    m_log.append(operation == NIM_ADD ? QStringLiteral("tray add") : QStringLiteral("tray delete"));
    m_added = operation == NIM_ADD;
    if (m_added) m_record = record;
    return true;
}

void FakeTray::activity(Kind kind)
{
    if (m_added) deliver(m_record, kind);
}

void typeEntry(Form1 &f, const QString &h, const QString &m, const QString &s, const QString &text)
{
    f.Text1->setText(h);
    f.Text2->setText(m);
    f.Text3->setText(s);
    f.Text4->setText(text);
}

QStringList rows(const QListWidget *list)
{
    QStringList r;
    for (int i = 0; i < list->count(); ++i)
        r.append(list->item(i)->text());
    return r;
}

TestPlatform::TestPlatform() = default;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
