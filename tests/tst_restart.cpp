// A real restart: the program in a child process is ended by SIGTERM (on
// Windows by the console event a closing console sends), and a second start
// finds what the first one had.
#include "platform/codepage.h"
#include "platform/journal.h"
#include "support/system.h"

#include <QtTest>

class RestartTest : public QObject
{
    Q_OBJECT

private slots:
    void scheduleAndPositionSurviveSigterm()
    {
        // A folder not there yet, as the user's data folder is before the first save.
        QTemporaryDir top;
        const QDir dir(top.filePath("Quorvalent"));
        QByteArray out = runUntilTerminated(dir.path(), "add");
        if (!delivered(out)) QSKIP("no console event can be sent to the child here");
        QVERIFY2(out.endsWith("ready\n"), out.constData());
        QVERIFY(QFile::exists(dir.filePath("Time.stt")));
        out = runUntilTerminated(dir.path(), "list");
        QVERIFY2(out.contains(QStringLiteral("task 14:30:00|时提醒您：开会\ntask 9:05:00|时提醒您：吃饭\n").toUtf8()),
            out.constData());
        QVERIFY2(out.contains("at 120,90 shown\n"), out.constData());
        out = runUntilTerminated(dir.path(), "hidden");
        QVERIFY2(out.endsWith("ready\n"), out.constData());
        // Terminated while an alert is open, it still ends cleanly.
        out = runUntilTerminated(dir.path(), "alert");
        QVERIFY2(out.endsWith("ready\n"), out.constData());
        out = runUntilTerminated(dir.path(), "list");
        QVERIFY2(out.startsWith("at "), out.constData());
    }

    void aFullDiskKeepsTheOldPair()
    {
        // The old schedule's times are long (an edited file), so the new texts
        // still fit under the limit and the new times do not: the disk refuses
        // the second file of the pair.
        QProcess probe;
        if (const QString why = testsystem::limitFileSize(probe, 1); !why.isEmpty()) QSKIP(qPrintable(why));
        QTemporaryDir dir;
        const QByteArray longTime(700, '7');
        QFile times(dir.filePath("Time.stt")), texts(dir.filePath("Task.sts"));
        QVERIFY(times.open(QIODevice::WriteOnly) && texts.open(QIODevice::WriteOnly));
        times.write(longTime + "1\r\n" + longTime + "2\r\n");
        texts.write(codepage::encode(QStringLiteral("时提醒您：旧一\r\n时提醒您：旧二\r\n")));
        times.close();
        texts.close();
        const QByteArray before = runUntilTerminated(dir.path(), "list");
        if (!delivered(before)) QSKIP("no console event can be sent to the child here");
        QVERIFY2(before.count("task ") == 2, before.constData());

        QByteArray out = runUntilTerminated(dir.path(), "add", 1024);
        QVERIFY2(out.endsWith("ready\n"), out.constData());
        QCOMPARE(QFileInfo(dir.filePath("Time.stt")).size(), 2 * (longTime.size() + 3));
        out = runUntilTerminated(dir.path(), "list");
        QCOMPARE(out.left(out.indexOf("at ")), before.left(before.indexOf("at ")));
        QVERIFY2(out.contains(QStringLiteral("task %1|时提醒您：旧二\n").arg(QString(longTime + "2")).toUtf8()),
            out.constData());
        // Nothing of the refused save is left beside the pair.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"Quorvalent.ini", "Task.sts", "Time.stt"}));
    }

private:
    static constexpr const char *notDelivered = "cannot be terminated";
    // Wine gives a child no console, so no console event reaches it there.
    static bool delivered(const QByteArray &out) { return !out.endsWith(notDelivered); }

    // Starts the program on folder, waits for its hook, terminates it and
    // returns what it printed.
    // A file-size limit makes every write beyond it fail, as on a full disk.
    static QByteArray runUntilTerminated(const QString &folder, const QString &mode, qint64 fileSizeLimit = 0)
    {
        QProcess child;
        if (fileSizeLimit) testsystem::limitFileSize(child, fileSizeLimit);
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

QTEST_MAIN(RestartTest)
#include "tst_restart.moc"
