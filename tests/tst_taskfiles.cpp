// The two task list files: what is saved, what loads, and what a failed save keeps.
#include "platform/codepage.h"
#include "shell/form1.h"
#include "support/fakes.h"
#include "support/system.h"

#include <QtTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

class TaskFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void savesAndLoads()
    {
        TestPlatform tp;
        {
            Form1 f(tp.platform());
            twoTasks(f);
            QVERIFY(f.SaveTask().failures.isEmpty());
        }
        QCOMPARE(readFile(tp.path("Time.stt")).toHex(), QByteArray("31343a33303a30300d0a393a30353a30300d0a"));
        QCOMPARE(readFile(tp.path("Task.sts")).toHex(),
            QByteArray("cab1cce1d0d1c4faa3babfaabbe10d0acab1cce1d0d1c4faa3bab3d4b7b90d0a"));
        Form1 next(tp.platform());
        QCOMPARE(rows(next.List1), (QStringList{"14:30:00", "9:05:00"}));
        QCOMPARE(rows(next.List2), (QStringList{QStringLiteral("时提醒您：开会"), QStringLiteral("时提醒您：吃饭")}));
    }

    void emptyListsDeleteTheirFiles()
    {
        TestPlatform tp;
        writeFile(tp.path("Quorvalent.ini"), "[Setup_Info]\r\n"); // not ours to delete
        {
            Form1 f(tp.platform());
            twoTasks(f);
            f.SaveTask();
            f.Check1->setChecked(true);
            f.Command11->click();
            QVERIFY(f.SaveTask().failures.isEmpty());
        }
        QCOMPARE(QDir(tp.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quorvalent.ini"});
        Form1 next(tp.platform());
        QCOMPARE(next.List1->count(), 0);
        QCOMPARE(next.List2->count(), 0);
        // Deleting files that are not there is no failure.
        QVERIFY(next.SaveTask().failures.isEmpty());
    }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("times");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QStringList>("timeRows");
        QTest::addColumn<QStringList>("textRows");
        const QString one = u"时提醒您：一"_qs, two = u"时提醒您：二"_qs;
        QTest::newRow("empty lines are rows") << QByteArray("\r\n1:00:00\r\n\r\n") << one + "\r\n\r\n" + two
                                              << QStringList{"", "1:00:00", ""} << QStringList{one, "", two};
        QTest::newRow("empty files") << QByteArray() << QString() << QStringList{} << QStringList{};
        // Files edited elsewhere may differ in length: the shorter list is padded, nothing dropped.
        QTest::newRow("more times than texts")
            << QByteArray("1:00:00\r\n2:00:00\r\n3:00:00\r\n") << one + "\r\n"
            << QStringList{"1:00:00", "2:00:00", "3:00:00"} << QStringList{one, Form1::TaskPrefix, Form1::TaskPrefix};
        QTest::newRow("more texts than times") << QByteArray("1:00:00\r\n") << one + "\r\n" + two + "\r\n"
                                               << QStringList{"1:00:00", ""} << QStringList{one, two};
        // Every line loads, so the next save loses none.
        QByteArray times;
        QStringList timeRows, textRows;
        for (int i = 0; i < 150; ++i) {
            timeRows.append(QStringLiteral("%1:00:00").arg(i % 24));
            textRows.append(Form1::TaskPrefix + QString::number(i));
            times += timeRows.back().toLatin1() + "\r\n";
        }
        QTest::newRow("150 tasks") << times << textRows.join("\r\n") << timeRows << textRows;
    }

    void loading()
    {
        QFETCH(QByteArray, times);
        QFETCH(QString, texts);
        QFETCH(QStringList, timeRows);
        QFETCH(QStringList, textRows);
        TestPlatform tp;
        writeFile(tp.path("Time.stt"), times);
        writeFile(tp.path("Task.sts"), codepage::encode(texts));
        Form1 f(tp.platform());
        QCOMPARE(rows(f.List1), timeRows);
        QCOMPARE(rows(f.List2), textRows);
    }

    void findsTheFilesWhateverTheirCase()
    {
        TestPlatform tp;
        writeFile(tp.path("TIME.STT"), "1:00:00\r\n");
        writeFile(tp.path("task.sts"), codepage::encode(QStringLiteral("时提醒您：x")) + "\r\n");
        {
            Form1 f(tp.platform());
            f.InitTime(); // loading again replaces the rows rather than adding to them
            f.InitTask();
            QCOMPARE(rows(f.List1), QStringList{"1:00:00"});
            QCOMPARE(rows(f.List2), QStringList{QStringLiteral("时提醒您：x")});
            f.List1->clear();
            f.List2->clear();
            f.SaveTask();
        }
        // The emptied schedule leaves no file of any case to bring old tasks back.
        QCOMPARE(QDir(tp.dir.path()).entryList(QDir::Files), QStringList{});
    }

    void refusedFileKeepsTheOldPair_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<bool>("timesEmptied");
        QTest::newRow("texts refused") << "Task.sts" << false;
        QTest::newRow("times refused") << "Time.stt" << false;
        // The empty list's file would be deleted, but not while the other fails.
        QTest::newRow("texts refused, times to be deleted") << "Task.sts" << true;
        QTest::newRow("journal refused") << ".Quorvalent.journal" << false;
    }

    void refusedFileKeepsTheOldPair()
    {
        // A real refusal, even for root: the file's name is taken by a folder.
        QFETCH(QString, refused);
        QFETCH(bool, timesEmptied);
        TestPlatform tp;
        QStringList kept{"Task.sts", "Time.stt"};
        kept.removeOne(refused);
        for (const QString &name : kept)
            writeFile(tp.path(name), "old\r\n");
        QVERIFY(QDir(tp.dir.path()).mkdir(refused));
        Form1 f(tp.platform());
        f.List1->clear();
        f.List2->clear();
        twoTasks(f);
        if (timesEmptied) f.List1->clear();
        const textfile::SaveOutcome saved = f.SaveTask();
        QCOMPARE(saved.failures.size(), 1);
        QCOMPARE(saved.failures[0].file, tp.path(refused));
        QVERIFY(!saved.failures[0].reason.isEmpty());
        QVERIFY(saved.oldFilesKept);
        for (const QString &name : kept)
            QCOMPARE(readFile(tp.path(name)), QByteArray("old\r\n"));
        QCOMPARE(QDir(tp.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
            kept.size() + 1);
    }

    void readOnlyFolder()
    {
#ifdef Q_OS_WIN
        QSKIP(qPrintable(testsystem::whyFolderPermissionsDoNotApply()));
#else
        if (geteuid() == 0) {
            // Root writes into read-only folders: run this case again as nobody.
            QProcess child;
            child.start(QStringLiteral("setpriv"),
                {"--reuid=65534", "--regid=65534", "--clear-groups", QCoreApplication::applicationFilePath(),
                    "readOnlyFolder"});
            if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit)
                QSKIP("cannot run as an unprivileged user here");
            const QByteArray output = child.readAll();
            if (output.contains("SKIP") || output.contains("setpriv:") || child.exitCode() >= 126)
                QSKIP("cannot run as an unprivileged user here");
            QVERIFY2(child.exitCode() == 0, output.constData());
            return;
        }
#endif
        TestPlatform tp;
        writeFile(tp.path("Task.sts"), "old\r\n");
        writeFile(tp.path("Time.stt"), "old\r\n");
        Form1 f(tp.platform());
        f.List1->clear();
        f.List2->clear();
        twoTasks(f);
        QFile::setPermissions(tp.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const textfile::SaveOutcome failures = f.SaveTask();
        QFile::setPermissions(tp.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(failures.failures.size(), 2);
        QCOMPARE(QFileInfo(failures.failures[0].file).fileName(), QStringLiteral("Task.sts"));
        QCOMPARE(QFileInfo(failures.failures[1].file).fileName(), QStringLiteral("Time.stt"));
        QCOMPARE(readFile(tp.path("Task.sts")), QByteArray("old\r\n"));
        QCOMPARE(readFile(tp.path("Time.stt")), QByteArray("old\r\n"));
    }

    void interruptedSave_data()
    {
        // What a save killed part-way leaves (the texts file may already be the new
        // one), and whether the next start must load the new record or the old.
        QTest::addColumn<QByteArray>("journal");
        QTest::addColumn<QStringList>("staged");
        QTest::addColumn<bool>("textsMoved");
        QTest::addColumn<bool>("loadsNew");
        const QByteArray both("replace\t.Task.sts.new\tTask.sts\nreplace\t.Time.stt.new\tTime.stt\n");
        QTest::newRow("killed before the journal")
            << QByteArray() << QStringList{".Task.sts.new", ".Time.stt.new"} << false << false;
        QTest::newRow("killed before the replacements")
            << both << QStringList{".Task.sts.new", ".Time.stt.new"} << false << true;
        QTest::newRow("killed between the replacements") << both << QStringList{".Time.stt.new"} << true << true;
        QTest::newRow("a journal line not of ours is not followed")
            << QByteArray("replace\t.Time.stt.new\t../Time.stt\nmove\t.Time.stt.new\tTime.stt\ndelete\t../Task.sts\n")
            << QStringList{".Time.stt.new"} << false << false;
    }

    void interruptedSave()
    {
        QFETCH(QByteArray, journal);
        QFETCH(QStringList, staged);
        QFETCH(bool, textsMoved);
        QFETCH(bool, loadsNew);
        const QString oldText = u"时提醒您：旧"_qs, newText = u"时提醒您：新"_qs;
        TestPlatform tp;
        writeFile(tp.path("Task.sts"), codepage::encode(textsMoved ? newText : oldText) + "\r\n");
        writeFile(tp.path("Time.stt"), "1:00:00\r\n");
        for (const QString &name : staged)
            writeFile(tp.path(name), name.contains("Time") ? "2:00:00\r\n" : codepage::encode(newText) + "\r\n");
        // "../" in a journal leads to a folder beside this one, which must stay as it was.
        QTemporaryDir outside;
        writeFile(outside.filePath("Task.sts"), "kept\r\n");
        const QByteArray beside = "../" + QFileInfo(outside.path()).fileName().toUtf8() + "/";
        if (!journal.isEmpty()) writeFile(tp.path(".Quorvalent.journal"), journal.replace("../", beside));
        Form1 f(tp.platform());
        QCOMPARE(rows(f.List1), QStringList{loadsNew ? "2:00:00" : "1:00:00"});
        QCOMPARE(rows(f.List2), QStringList{loadsNew ? newText : oldText});
        QCOMPARE(QDir(tp.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            (QStringList{"Task.sts", "Time.stt"}));
        QCOMPARE(testsystem::snapshot(outside.path()), QStringList{"Task.sts=6b6570740d0a"});
    }

    void lineBreaksNeverSplitATask()
    {
        // Pasted into the fields, or held by a list in any other way: one task, one line.
        TestPlatform tp;
        {
            Form1 f(tp.platform());
            f.Check1->setChecked(true);
            typeEntry(f, "9", "05", "00", u"first line\r\nsecond line\nthird\rfourth"_qs);
            f.Command9->click();
            f.List1->addItem("10:00:00\n");
            f.List2->addItem(u"时提醒您：a\r\nb"_qs);
            QVERIFY(f.SaveTask().failures.isEmpty());
        }
        Form1 next(tp.platform());
        QCOMPARE(rows(next.List1), (QStringList{"9:05:00", "10:00:00 "}));
        QCOMPARE(
            rows(next.List2), (QStringList{u"时提醒您：first line second line third fourth"_qs, u"时提醒您：a b"_qs}));
    }

private:
    static void twoTasks(Form1 &f)
    {
        f.List1->addItems({"14:30:00", "9:05:00"});
        f.List2->addItems({QStringLiteral("时提醒您：开会"), QStringLiteral("时提醒您：吃饭")});
    }
};

QTEST_MAIN(TaskFilesTest)
#include "tst_taskfiles.moc"
