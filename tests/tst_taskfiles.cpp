// The two task list files: what is saved, what loads, and what a failed save keeps.
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
    void savesTheExactBytes();
    void loadsWhatWasSaved();
    void emptyListsDeleteTheirFiles();
    void loading_data();
    void loading();
    void loadsEveryLine();
    void loadingReplacesTheRows();
    void findsTheFilesWhateverTheirCase();
    void roundTripsTextOutsideGbk();
    void undecodableBytesLoadAsReplacementCharacters();
    void repairsFilesOfDifferentLengths();
    void failedSaveReportsTheFileAndTriesTheOther();
    void failedSaveKeepsTheOldFile();
    void readOnlyFolder();

private:
    static QStringList rows(const QListWidget *list)
    {
        QStringList r;
        for (int i = 0; i < list->count(); ++i)
            r.append(list->item(i)->text());
        return r;
    }
    static void twoTasks(Form1 &f)
    {
        f.List1->addItems({"14:30:00", "9:05:00"});
        f.List2->addItems({QStringLiteral("时提醒您：开会"), QStringLiteral("时提醒您：吃饭")});
    }
};

void TaskFilesTest::savesTheExactBytes()
{
    TestPlatform tp;
    Form1 f(tp.platform());
    twoTasks(f);
    QVERIFY(f.SaveTask().isEmpty());
    QCOMPARE(readFile(tp.path("Time.stt")).toHex(), QByteArray("31343a33303a30300d0a393a30353a30300d0a"));
    QCOMPARE(readFile(tp.path("Task.sts")).toHex(),
        QByteArray("cab1cce1d0d1c4faa3babfaabbe10d0acab1cce1d0d1c4faa3bab3d4b7b90d0a"));
    // Texts first, then times.
    QCOMPARE(tp.log.filter("write"), (QStringList{"write Task.sts", "write Time.stt"}));
}

void TaskFilesTest::loadsWhatWasSaved()
{
    TestPlatform tp;
    {
        Form1 f(tp.platform());
        twoTasks(f);
        f.SaveTask();
    }
    Form1 next(tp.platform());
    QCOMPARE(rows(next.List1), (QStringList{"14:30:00", "9:05:00"}));
    QCOMPARE(rows(next.List2), (QStringList{QStringLiteral("时提醒您：开会"), QStringLiteral("时提醒您：吃饭")}));
}

void TaskFilesTest::emptyListsDeleteTheirFiles()
{
    TestPlatform tp;
    {
        Form1 f(tp.platform());
        twoTasks(f);
        f.SaveTask();
        f.Check1->setChecked(true);
        f.Command11->click();
        QVERIFY(f.SaveTask().isEmpty());
    }
    QVERIFY(!QFile::exists(tp.path("Task.sts")));
    QVERIFY(!QFile::exists(tp.path("Time.stt")));
    Form1 next(tp.platform());
    QCOMPARE(next.List1->count(), 0);
    QCOMPARE(next.List2->count(), 0);
    // Deleting files that are not there is no failure.
    QVERIFY(next.SaveTask().isEmpty());
}

void TaskFilesTest::loading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("last line without CR LF") << QByteArray("1:00:00\r\n2:00:00") << QStringList{"1:00:00", "2:00:00"};
    QTest::newRow("lone CR") << QByteArray("1:00:00\r2:00:00\r") << QStringList{"1:00:00", "2:00:00"};
    QTest::newRow("empty lines") << QByteArray("\r\n1:00:00\r\n\r\n") << QStringList{"", "1:00:00", ""};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("one CR LF") << QByteArray("\r\n") << QStringList{""};
}

void TaskFilesTest::loading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TestPlatform tp;
    writeFile(tp.path("Time.stt"), bytes);
    QStringList texts;
    for (int i = 0; i < expected.size(); ++i)
        texts.append(QStringLiteral("时提醒您：%1").arg(i));
    QByteArray textBytes;
    for (const QString &t : texts)
        textBytes += textfile::encode(t) + "\r\n";
    writeFile(tp.path("Task.sts"), textBytes);
    Form1 f(tp.platform());
    QCOMPARE(rows(f.List1), expected);
    QCOMPARE(rows(f.List2), texts);
}

void TaskFilesTest::loadsEveryLine()
{
    // 150 saved tasks come back as 150, so the next save loses none.
    TestPlatform tp;
    QStringList times, texts;
    for (int i = 0; i < 150; ++i) {
        times.append(QStringLiteral("%1:00:00").arg(i % 24));
        texts.append(Form1::TaskPrefix + QString::number(i));
    }
    {
        Form1 f(tp.platform());
        f.List1->addItems(times);
        f.List2->addItems(texts);
        f.SaveTask();
    }
    Form1 next(tp.platform());
    QCOMPARE(rows(next.List1), times);
    QCOMPARE(rows(next.List2), texts);
}

void TaskFilesTest::loadingReplacesTheRows()
{
    TestPlatform tp;
    writeFile(tp.path("Time.stt"), "1:00:00\r\n");
    Form1 f(tp.platform());
    f.List1->addItem("old");
    f.InitTime();
    f.InitTime();
    QCOMPARE(rows(f.List1), QStringList{"1:00:00"});
}

void TaskFilesTest::findsTheFilesWhateverTheirCase()
{
    TestPlatform tp;
    writeFile(tp.path("TIME.STT"), "1:00:00\r\n");
    writeFile(tp.path("task.sts"), textfile::encode(QStringLiteral("时提醒您：x")) + "\r\n");
    {
        Form1 f(tp.platform());
        QCOMPARE(rows(f.List1), QStringList{"1:00:00"});
        QCOMPARE(rows(f.List2), QStringList{QStringLiteral("时提醒您：x")});
        f.List1->clear();
        f.List2->clear();
        f.SaveTask();
    }
    // The emptied schedule leaves no file of any case to bring old tasks back.
    QCOMPARE(QDir(tp.dir.path()).entryList(QDir::Files), QStringList{});
}

void TaskFilesTest::roundTripsTextOutsideGbk()
{
    TestPlatform tp;
    const QString text = Form1::TaskPrefix + QStringLiteral("生日 😀 𠀀 €");
    {
        Form1 f(tp.platform());
        f.List1->addItem("8:00:00");
        f.List2->addItem(text);
        QVERIFY(f.SaveTask().isEmpty());
    }
    Form1 next(tp.platform());
    QCOMPARE(rows(next.List2), QStringList{text});
}

void TaskFilesTest::undecodableBytesLoadAsReplacementCharacters()
{
    TestPlatform tp;
    writeFile(tp.path("Task.sts"), QByteArray("\xff\x81\r\nok\r\n"));
    writeFile(tp.path("Time.stt"), "1:00:00\r\n2:00:00\r\n");
    Form1 f(tp.platform());
    QCOMPARE(f.List2->count(), 2);
    QVERIFY(f.List2->item(0)->text().contains(QChar::ReplacementCharacter));
    QCOMPARE(f.List2->item(1)->text(), QStringLiteral("ok"));
}

void TaskFilesTest::repairsFilesOfDifferentLengths()
{
    TestPlatform tp;
    writeFile(tp.path("Time.stt"), "1:00:00\r\n2:00:00\r\n3:00:00\r\n");
    writeFile(tp.path("Task.sts"), textfile::encode(QStringLiteral("时提醒您：一")) + "\r\n");
    {
        Form1 f(tp.platform());
        QCOMPARE(rows(f.List1), (QStringList{"1:00:00", "2:00:00", "3:00:00"}));
        QCOMPARE(rows(f.List2), (QStringList{QStringLiteral("时提醒您：一"), Form1::TaskPrefix, Form1::TaskPrefix}));
    }
    TestPlatform other;
    writeFile(other.path("Time.stt"), "1:00:00\r\n");
    writeFile(other.path("Task.sts"), textfile::encode(QStringLiteral("时提醒您：一\r\n时提醒您：二\r\n")));
    Form1 f(other.platform());
    QCOMPARE(rows(f.List1), (QStringList{"1:00:00", ""}));
    QCOMPARE(f.List2->count(), 2);
}

void TaskFilesTest::failedSaveReportsTheFileAndTriesTheOther()
{
    TestPlatform tp;
    Form1 f(tp.platform());
    twoTasks(f);
    tp.files.failing.insert("Task.sts", "No space left on device");
    const QList<FileFailure> failures = f.SaveTask();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0].file, tp.path("Task.sts"));
    QCOMPARE(failures[0].reason, QStringLiteral("No space left on device"));
    QVERIFY(QFile::exists(tp.path("Time.stt")));
    // A deletion that fails is a failure too.
    f.List1->clear();
    tp.files.failing.insert("Time.stt", "Permission denied");
    const QList<FileFailure> again = f.SaveTask();
    QCOMPARE(again.size(), 2);
    QCOMPARE(again[1].file, tp.path("Time.stt"));
}

void TaskFilesTest::failedSaveKeepsTheOldFile()
{
    // A real failure, even for root: the text file's name is taken by a folder.
    TestPlatform tp;
    writeFile(tp.path("Time.stt"), "old\r\n");
    QVERIFY(QDir(tp.dir.path()).mkdir("Task.sts"));
    Form1 f(tp.platform());
    f.List1->clear();
    f.List2->clear();
    twoTasks(f);
    const QList<FileFailure> failures = f.SaveTask();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(QFileInfo(failures[0].file).fileName(), QStringLiteral("Task.sts"));
    QVERIFY(!failures[0].reason.isEmpty());
    QCOMPARE(readFile(tp.path("Time.stt")), QByteArray("14:30:00\r\n9:05:00\r\n"));
}

void TaskFilesTest::readOnlyFolder()
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
    const QList<FileFailure> failures = f.SaveTask();
    QFile::setPermissions(tp.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(failures.size(), 2);
    QCOMPARE(QFileInfo(failures[0].file).fileName(), QStringLiteral("Task.sts"));
    QCOMPARE(QFileInfo(failures[1].file).fileName(), QStringLiteral("Time.stt"));
    QCOMPARE(readFile(tp.path("Task.sts")), QByteArray("old\r\n"));
    QCOMPARE(readFile(tp.path("Time.stt")), QByteArray("old\r\n"));
}

QTEST_MAIN(TaskFilesTest)
#include "tst_taskfiles.moc"
