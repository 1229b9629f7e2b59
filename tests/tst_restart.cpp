// A real restart: the program in a child process is ended by SIGTERM (on
// Windows by the console event a closing console sends), and a second start
// finds what the first one had.
#include "support/system.h"

#include <QtTest>

class RestartTest : public QObject
{
    Q_OBJECT

private slots:
    void scheduleAndPositionSurviveSigterm();
    void sigtermWhileABoxIsOpen();

private:
    static constexpr const char *notDelivered = "cannot be terminated";
    // Wine gives a child no console, so no console event reaches it there.
    static bool delivered(const QByteArray &out) { return !out.endsWith(notDelivered); }

    // Starts the program on folder, waits for its hook, terminates it and
    // returns what it printed.
    static QByteArray runUntilTerminated(const QString &folder, const QString &mode)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        testsystem::prepareForTermination(child);
        // Text: the line ends of a Windows child come back as "\n".
        child.start(testsystem::childProgram("appchild"), {folder, mode}, QIODevice::ReadWrite | QIODevice::Text);
        if (!child.waitForStarted(10000)) return "not started";
        QByteArray out;
        while (!out.contains("ready\n") && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        if (!testsystem::terminate(child)) {
            child.kill();
            return out + notDelivered;
        }
        if (!child.waitForFinished(20000)) {
            child.kill();
            return out + "did not end";
        }
        out += child.readAllStandardOutput();
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) return out + "crashed";
        return out;
    }
};

void RestartTest::scheduleAndPositionSurviveSigterm()
{
    QTemporaryDir dir;
    QByteArray out = runUntilTerminated(dir.path(), "add");
    if (!delivered(out)) QSKIP("no console event can be sent to the child here");
    QVERIFY2(out.endsWith("ready\n"), out.constData());
    QVERIFY(QFile::exists(dir.filePath("Time.stt")));
    out = runUntilTerminated(dir.path(), "list");
    QVERIFY2(out.contains(QStringLiteral("task 14:30:00|时提醒您：开会\ntask 9:05:00|时提醒您：吃饭\n").toUtf8()),
        out.constData());
    QVERIFY2(out.contains("at 120,90\n"), out.constData());
    // The second run saved them again, unchanged.
    out = runUntilTerminated(dir.path(), "list");
    QCOMPARE(out.count("task "), 2);
}

void RestartTest::sigtermWhileABoxIsOpen()
{
    QTemporaryDir dir;
    QByteArray out = runUntilTerminated(dir.path(), "add");
    if (!delivered(out)) QSKIP("no console event can be sent to the child here");
    out = runUntilTerminated(dir.path(), "alert");
    QVERIFY2(out.endsWith("ready\n"), out.constData());
    out = runUntilTerminated(dir.path(), "list");
    QCOMPARE(out.count("task "), 2);
}

QTEST_MAIN(RestartTest)
#include "tst_restart.moc"
