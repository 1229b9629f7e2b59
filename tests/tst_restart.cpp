// A real restart: the program in a child process is ended by SIGTERM (on
// Windows by the console event a closing console sends), and a second start
// finds what the first one had. While one runs, a second start for the same
// folder only brings the first forward.
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

    void aSecondStartBringsTheFirstForward_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QByteArray>("after");
        const QByteArray restored = "active main, main shown normal enabled\n";
        QTest::newRow("shown, another window active") << "shown" << false << restored;
        QTest::newRow("in the tray") << "tray" << false << restored;
        QTest::newRow("behind the clock bar") << "bar" << false
                                              << QByteArray("active main, main shown normal enabled, clock bar shown\n");
        QTest::newRow("disabled behind the about window")
            << "about" << false << QByteArray("active about, main shown normal disabled\n");
        QTest::newRow("in a read-only folder") << "shown" << true << restored;
    }

    void aSecondStartBringsTheFirstForward()
    {
        QFETCH(QString, situation);
        QFETCH(bool, readOnly);
        QFETCH(QByteArray, after);
        const QString folder = m_top.filePath(QTest::currentDataTag());
        writeSchedule(folder);
        if (readOnly) {
            if (const QString why = testsystem::whyFolderPermissionsDoNotApply(); !why.isEmpty()) QSKIP(qPrintable(why));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        }
        const auto writable = qScopeGuard(
            [&] { QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        const QStringList files = testsystem::snapshot(folder);
        QProcess first;
        QByteArray out = start(first, folder, situation);
        QVERIFY2(out.endsWith("ready\n"), out.constData());

        QProcess second;
        // Never reaches its hook: it reads nothing and shows nothing.
        QCOMPARE(start(second, folder, "list"), QByteArray("ended 0"));
        while (!out.contains("active") && first.waitForReadyRead(20000))
            out += first.readAllStandardOutput();
        QVERIFY2(out.contains("active"), out.constData());
        QCOMPARE(out.mid(out.indexOf("active")).split('\n').first() + '\n', after);
        QCOMPARE(testsystem::snapshot(folder), files);
        first.kill();
        first.waitForFinished(20000);
    }

    void onlyALiveHolderKeepsAStartOut()
    {
        const QString folder = m_top.filePath("killed"), other = m_top.filePath("other");
        writeSchedule(folder);
        const QStringList files = testsystem::snapshot(folder);
        QProcess first, beside, second;
        QVERIFY(start(first, folder, "list").endsWith("ready\n"));
        QVERIFY(start(beside, other, "add").endsWith("ready\n"));
        QCOMPARE(start(second, folder, "list"), QByteArray("ended 0"));
        // Where letter case does not tell names apart, it does not tell folders apart.
        if (testsystem::samePath("a", "A")) QCOMPARE(start(second, folder.toUpper(), "list"), QByteArray("ended 0"));
        // Gone without its end, as after kill -9 or a power cut.
        first.kill();
        QVERIFY(first.waitForFinished(20000));
        QByteArray out = start(second, folder, "list");
        QVERIFY2(out.contains(QStringLiteral("task 14:30:00|时提醒您：开会\n").toUtf8()), out.constData());
        second.kill();
        second.waitForFinished(20000);
        // Nowhere to keep a lock (a file where its folder would be): the program runs all the same.
        QVERIFY(QDir().mkpath(m_top.filePath("blocked")));
        QFile blocker(m_top.filePath("blocked/quorvalent"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        out = start(second, m_top.filePath("unlocked"), "list", "blocked");
        QVERIFY2(out.endsWith("ready\n"), out.constData());
        second.kill();
        if (testsystem::terminate(beside) && beside.waitForFinished(20000)) {
            // Each saved its own.
            QCOMPARE(testsystem::snapshot(folder), files);
            QFile times(QDir(other).filePath("Time.stt"));
            QVERIFY(times.open(QIODevice::ReadOnly));
            QCOMPARE(times.readAll(), QByteArray("14:30:00\r\n9:05:00\r\n"));
        }
        beside.kill();
    }

private:
    QTemporaryDir m_top;

    // A schedule of one task and a saved position, as a first run leaves them.
    static void writeSchedule(const QString &folder)
    {
        QVERIFY(QDir().mkpath(folder));
        for (auto [name, bytes] : {std::pair{"Time.stt", QByteArray("14:30:00\r\n")},
                 std::pair{"Task.sts", codepage::encode(QStringLiteral("时提醒您：开会\r\n"))},
                 std::pair{"Quorvalent.ini", QByteArray("[Setup_Info]\r\nLeft=120\r\nTop=90\r\n")}}) {
            QFile file(QDir(folder).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
    }

    // Starts the program on folder and returns what it printed up to its
    // hook's "ready", or "ended" and its exit code when it ended before.
    QByteArray start(
        QProcess &child, const QString &folder, const QString &mode, const QString &runtimeName = "runtime")
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // The lock of a running program is kept in the session's runtime folder: this test's own.
        const QString runtime = m_top.filePath(runtimeName);
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", runtime);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        testsystem::prepareForTermination(child);
        // Text: the line ends of a Windows child come back as "\n".
        child.start(testsystem::childProgram("appchild"), {folder, mode}, QIODevice::ReadWrite | QIODevice::Text);
        if (!child.waitForStarted(10000)) return "not started";
        QByteArray out;
        while (!out.contains("ready\n") && child.state() == QProcess::Running && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        if (child.waitForFinished(0) || child.state() == QProcess::NotRunning)
            return out + child.readAllStandardOutput() + "ended " + QByteArray::number(child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1);
        return out;
    }

    static constexpr const char *notDelivered = "cannot be terminated";
    // Wine gives a child no console, so no console event reaches it there.
    static bool delivered(const QByteArray &out) { return !out.endsWith(notDelivered); }

    // Starts the program on folder, waits for its hook, terminates it and
    // returns what it printed.
    // A file-size limit makes every write beyond it fail, as on a full disk.
    QByteArray runUntilTerminated(const QString &folder, const QString &mode, qint64 fileSizeLimit = 0)
    {
        QProcess child;
        if (fileSizeLimit) testsystem::limitFileSize(child, fileSizeLimit);
        QByteArray out = start(child, folder, mode);
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
