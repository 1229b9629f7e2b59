#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/textfile.h"
#include "support/fakes.h"
#include "support/system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// Empty when the call succeeded, so that a failing comparison shows the reason.
QString failureText(const std::optional<FileFailure> &failure)
{
    return failure ? failure->file + ": " + failure->reason : QString();
}

QStringList readBack(const QString &path) { return textfile::readLines(path).value_or(QStringList{"<cannot open>"}); }

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    // The bytes on disk are what the schedule files have always held: GBK, CR LF.
    void writesRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("times in ASCII") << QStringList{"14:30:00", "9:05:00"}
                                        << QByteArray("31343a33303a30300d0a393a30353a30300d0a");
        QTest::newRow("texts in GBK") << QStringList{u"时提醒您：开会"_qs, u"时提醒您：吃饭"_qs}
                                      << QByteArray("cab1cce1d0d1c4faa3babfaabbe10d0acab1cce1d0d1c4faa3bab3d4b7b90d0a");
        // The four-byte GB18030 forms, not replacements.
        QTest::newRow("outside GBK") << QStringList{u"看😀"_qs, u"𠀀"_qs} << QByteArray("bfb49439fc360d0a953282360d0a");
        QTest::newRow("empty and blank rows")
            << QStringList{"", "  ", "", "a\tb", ""} << QByteArray("0d0a20200d0a0d0a6109620d0a0d0a");
        QTest::newRow("no rows") << QStringList{} << QByteArray();
    }

    void writesRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(QByteArray, hex);
        QTemporaryDir dir;
        const QString path = dir.filePath("Task.sts");
        // Over a longer file, of which nothing may be left.
        writeFile(path, "01:00:00\r\n02:00:00\r\n03:00:00\r\n04:00:00\r\n");
        QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
        QCOMPARE(readFile(path).toHex(), hex);
        QCOMPARE(readBack(path), rows);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"Task.sts"});
    }

    void encodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("hex");
        // The four-byte forms of the BMP count out the characters GBK lacks, in order,
        // but for U+E7C7, which took the place of U+1E3F (now A8BC) in 2005.
        QTest::newRow("four-byte forms of the BMP")
            << u"ß\uE7C7\u1E3F\uFFFF"_qs << QByteArray("813089388135f437a8bc8431a439");
        // Lone surrogates become U+FFFD (8431A437), not a control character or nothing.
        QTest::newRow("lone halves") << u"a"_qs + QChar(0xD83D) + u"b"_qs + QChar(0xDE00)
                                     << QByteArray("618431a437628431a437");
        QTest::newRow("high half at the end") << u"x"_qs + QChar(0xD83D) << QByteArray("788431a437");
    }

    void encodes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, hex);
        QCOMPARE(codepage::encode(text).toHex(), hex);
    }

    void everyCharacterRoundTrips()
    {
        QString all;
        all.reserve(0x110000 * 2);
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            if (c == '\r' || c == '\n' || (c >= 0xD800 && c <= 0xDFFF)) continue;
            all += QChar::fromUcs4(c);
        }
        const QStringList back = textfile::splitLines(codepage::encode(all));
        QCOMPARE(back.size(), 1);
        const QList<uint> want = all.toUcs4(), got = back.front().toUcs4();
        const auto [w, g] = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
        QVERIFY2(w == want.end() && g == got.end(),
            qPrintable(QString("first difference at U+%1").arg(w != want.end() ? *w : 0, 4, 16, QChar('0'))));
    }

    void everyTwoByteCodeIsWrittenBackAsRead()
    {
        // Files written elsewhere in GBK come back byte for byte when saved again.
        int mapped = 0;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const QByteArray code = QByteArray(1, char(lead)) + char(trail);
                const QString text = codepage::decode(code);
                if (text == QString(QChar::ReplacementCharacter)) continue;
                QCOMPARE(text.size(), 1);
                QCOMPARE(codepage::encode(text).toHex(), code.toHex());
                ++mapped;
            }
        }
        QCOMPARE(mapped, 126 * 190);
    }

    // Line splitting, and bytes that are not GB18030.
    void splitsLines_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("one line with CR LF") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("last line without terminator") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("only a line without terminator") << QByteArray("abc") << QStringList{"abc"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("mixed") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nx\r\n\r\n") << QStringList{"", "", "x", ""};
        QTest::newRow("single CR LF") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("single CR") << QByteArray("\r") << QStringList{""};
        QTest::newRow("single LF") << QByteArray("\n") << QStringList{""};
        QTest::newRow("CR at the very end") << QByteArray("a\r\nb\r") << QStringList{"a", "b"};
        QTest::newRow("CR LF CR at the end") << QByteArray("a\r\n\r") << QStringList{"a", ""};
        QTest::newRow("spaces kept") << QByteArray(" a \r\n\t\r\n") << QStringList{" a ", "\t"};
        QTest::newRow("NUL kept") << QByteArray("a\0b\r\n", 5) << QStringList{QString("a") + QChar(0) + "b"};
        QTest::newRow("GBK lines") << QByteArray::fromHex("cab1cce10d0ab3d4b7b90dc4fa")
                                   << QStringList{u"时提"_qs, u"吃饭"_qs, u"您"_qs};
        // A lead byte right before CR or LF must not join the next line to this one,
        // nor leave the decoder expecting a second half on the next line.
        QTest::newRow("lead byte before CR LF") << QByteArray("a\x81\r\nx") << QStringList{u"a\uFFFD"_qs, "x"};
        QTest::newRow("lead byte before CR") << QByteArray("\x81\r\xCA\xB1") << QStringList{u"\uFFFD"_qs, u"时"_qs};
        QTest::newRow("lead byte before LF")
            << QByteArray("\x81\x30\x81\n\x30") << QStringList{u"\uFFFD0\uFFFD"_qs, "0"};
        QTest::newRow("broken four-byte form before CR LF")
            << QByteArray("\x94\x39\xFC\r\nab\r\n") << QStringList{u"\uFFFD9\uFFFD"_qs, "ab"};
        QTest::newRow("lead byte then space") << QByteArray("\x81\x20") << QStringList{u"\uFFFD "_qs};
        QTest::newRow("lone FF and 80") << QByteArray("\xFF\r\n\x80") << QStringList{u"\uFFFD"_qs, u"\uFFFD"_qs};
        QTest::newRow("truncated pair at the end, twice")
            << QByteArray("ab\xCA\r\nab\xCA") << QStringList{u"ab\uFFFD"_qs, u"ab\uFFFD"_qs};
        // The first byte is bad; the digit after it is read again on its own.
        QTest::newRow("truncated four-byte form at the end")
            << QByteArray("\x94\x39\xFC") << QStringList{u"\uFFFD9\uFFFD"_qs};
        QTest::newRow("four-byte form past U+10FFFF") << QByteArray("\xFE\x39\xFE\x39") << QStringList{u"\uFFFD"_qs};
        QTest::newRow("good text around a bad byte")
            << QByteArray("\xCA\xB1\xFF\xCC\xE1") << QStringList{u"时\uFFFD提"_qs};
    }

    void splitsLines()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, lines);
        QCOMPARE(textfile::splitLines(contents), lines);
    }

    void keepsEveryLineOfALongFile()
    {
        // Larger than one read chunk, with lines across chunk boundaries.
        QTemporaryDir dir;
        const QString path = dir.filePath("Task.sts");
        QStringList rows;
        for (int i = 0; i < 30000; ++i)
            rows << (i % 10 == 3 ? QString() : u"第%1号方案"_qs.arg(i));
        QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
        QCOMPARE(readBack(path), rows);
    }

    void unreadablePathsReadAsNothing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Task.sts"));
        QVERIFY(!textfile::readLines(dir.filePath("Time.stt")));
        QVERIFY(!textfile::readLines(dir.filePath("no/such/Time.stt")));
        QVERIFY(!textfile::readLines(dir.filePath("Task.sts")));
    }

    // Finding a file whatever its letter case.
    void findsFile_data()
    {
        // Names ending in '/' are folders.
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found");
        QTest::newRow("upper case") << QStringList{"Time.stt", "TASK.STS"} << "task.sts" << u"TASK.STS"_qs;
        QTest::newRow("mixed case") << QStringList{"Time.stt", "Task.sts"} << "task.sts" << u"Task.sts"_qs;
        QTest::newRow("same case") << QStringList{"Time.stt", "task.sts"} << "task.sts" << u"task.sts"_qs;
        QTest::newRow("no file matches") << QStringList{"Task.sts.bak", "Tas.sts"} << "Task.sts" << u"Task.sts"_qs;
        QTest::newRow("a folder of the same name") << QStringList{"TASK.STS/"} << "Task.sts" << u"Task.sts"_qs;
        // Where the system keeps case variants apart, the exact one is chosen.
        QTest::newRow("exact case first")
            << QStringList{"TASK.STS", "Task.sts", "task.sts"} << "Task.sts" << u"Task.sts"_qs;
        QTest::newRow("exact lower case")
            << QStringList{"TASK.STS", "Task.sts", "task.sts"} << "task.sts" << u"task.sts"_qs;
    }

    void findsFile()
    {
        QFETCH(QStringList, onDisk);
        QFETCH(QString, name);
        QFETCH(QString, found);
        QTemporaryDir dir;
        for (const QString &entry : onDisk)
            QVERIFY(entry.endsWith('/') ? QDir(dir.path()).mkdir(entry) : (writeFile(dir.filePath(entry), "x"), true));
        const QString path = textfile::findNoCase(dir.path(), name);
        QVERIFY2(testsystem::samePath(path, dir.path() + "/" + found), qPrintable(path));
        QCOMPARE(textfile::findNoCase(dir.path() + "/missing", name), dir.path() + "/missing/" + name);
    }

    // Failed changes, the settings file's among them, leave the folder alone.
    void refusedChangeTouchesNothing_data()
    {
        // What is on disk first (names ending in '/' are folders, others files), the
        // file to write or delete, and whether its folder is made read-only.
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("change"); // write, delete, or a setting written
        QTest::addColumn<bool>("readOnly");
        // The same four refusals for a schedule file and for the settings file.
        for (const QString &change : {u"write"_qs, u"setting"_qs}) {
            const QString file = change == u"write" ? u"Time.stt"_qs : u"Quorvalent.ini"_qs;
            const QByteArray name = change.toLatin1();
            QTest::newRow(name + " into a missing folder") << QStringList{} << "missing/" + file << change << false;
            QTest::newRow(name + " below a regular file") << QStringList{"plain"} << "plain/" + file << change << false;
            QTest::newRow(name + " over a folder") << QStringList{file + '/'} << file << change << false;
            QTest::newRow(name + " into a read-only folder")
                << QStringList{"locked/", "locked/" + file} << "locked/" + file << change << true;
        }
        // Unlinking a folder fails even for root, unlike permission bits.
        QTest::newRow("delete a folder") << QStringList{"Task.sts/", "Task.sts/inside"} << "Task.sts"
                                         << "delete" << false;
    }

    void refusedChangeTouchesNothing()
    {
        QFETCH(QStringList, onDisk);
        QFETCH(QString, target);
        QFETCH(QString, change);
        QFETCH(bool, readOnly);
        if (const QString why = testsystem::whyFolderPermissionsDoNotApply(); readOnly && !why.isEmpty())
            QSKIP(qPrintable(why));
        QTemporaryDir dir;
        for (const QString &entry : onDisk)
            QVERIFY(entry.endsWith('/') ? QDir(dir.path()).mkdir(entry)
                                        : (writeFile(dir.filePath(entry), "08:00:00\r\n"), true));
        const QStringList before = testsystem::snapshot(dir.path());
        const QString path = dir.filePath(target), folder = QFileInfo(path).path();
        if (readOnly) QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        // The settings writer tells only whether it wrote; the others say which file and why.
        std::optional<FileFailure> failure;
        bool refused;
        if (change == "setting") {
            refused = !profile::writeString("Setup_Info", "Left", "2", path);
        } else {
            failure = change == "delete" ? textfile::remove(path) : textfile::writeLines(path, {"14:30:00"});
            refused = failure.has_value();
        }
        if (readOnly) QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(refused);
        if (failure) {
            QCOMPARE(failure->file, path);
            QVERIFY(!failure->reason.isEmpty());
        }
        QCOMPARE(testsystem::snapshot(dir.path()), before);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<int>("rowCount");
        // Small enough to sit in the write buffer until flushed, and far larger than it.
        QTest::newRow("fits the buffer") << 20;
        QTest::newRow("exceeds the buffer") << 20000;
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(int, rowCount);
        QTemporaryDir dir;
        const QString path = dir.filePath("Task.sts");
        writeFile(path, QByteArray::fromHex("cab1cce1d0d1c4faa3babfaabbe10d0a"));
        const QStringList before = testsystem::snapshot(dir.path());
        QStringList rows;
        for (int i = 0; i < rowCount; ++i)
            rows << u"时提醒您：吃饭 %1"_qs.arg(i);

        std::optional<FileFailure> failure;
#ifdef Q_OS_WIN
        QSKIP("Windows has no per-process file size limit to stand in for a full disk");
#else
        // No file may grow past a few bytes, which stops writes even for root, the way
        // a full disk would. The limit's signal is ignored so that the write fails instead.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = 64;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) QSKIP("cannot lower the file size limit here");
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        failure = textfile::writeLines(path, rows);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
#endif
        QVERIFY(failure);
        QCOMPARE(failure->file, path);
        QVERIFY(!failure->reason.isEmpty());
        // The old file as it was, and the half-written temporary file gone.
        QCOMPARE(testsystem::snapshot(dir.path()), before);

        // Once there is room again the same write succeeds.
        QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
        QCOMPARE(readBack(path), rows);
    }

    void removingWhatIsNotThereIsNoFailure()
    {
        QTemporaryDir dir;
        QCOMPARE(failureText(textfile::remove(dir.filePath("Task.sts"))), QString());
        QCOMPARE(failureText(textfile::remove(dir.filePath("missing/Task.sts"))), QString());
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
