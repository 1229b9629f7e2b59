#include "platform/textfile.h"
#include "support/system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return file.readAll();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

#ifndef Q_OS_WIN
// Lets no file grow past a few bytes, which stops writes even for root, the way
// a full disk would. The limit's signal is ignored so the write fails instead.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
    bool m_ok = false;
};
#endif

// Empty when the call succeeded, so that a failing comparison shows the reason.
QString failureText(const std::optional<FileFailure> &failure)
{
    return failure ? failure->file + ": " + failure->reason : QString();
}

QStringList readBack(const QString &path) { return textfile::readLines(path).value_or(QStringList{"<cannot open>"}); }

QStringList codepoints(const QString &s)
{
    QStringList out;
    for (char32_t c : s.toUcs4())
        out << QString::number(c, 16);
    return out;
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private slots:
    // The bytes on disk are what the schedule files have always held: GBK, CR LF.
    void writesTimeRowsAsAsciiWithCrLf();
    void writesChineseRowsInGbk();
    void emptyRowListWritesEmptyFile();
    void roundTripsTextOutsideGbk();
    void roundTripsEmptyAndBlankRows();
    void loneSurrogateIsWrittenAsReplacement();
    void everyCharacterRoundTrips();
    void everyTwoByteCodeIsWrittenBackAsRead();

    // Line splitting.
    void splitsLines_data();
    void splitsLines();
    void keepsEveryLineOfALongFile();

    // Bytes that are not GB18030.
    void undecodableBytesBecomeReplacement_data();
    void undecodableBytesBecomeReplacement();
    void brokenSequenceDoesNotSwallowLineEnd();

    // Reading.
    void readsWhatIsOnDisk();
    void missingFileReadsAsNothing();
    void folderReadsAsNothing();

    // Finding a file whatever its letter case.
    void findsFileWhateverItsCase_data();
    void findsFileWhateverItsCase();
    void prefersExactCase();
    void givesPlainPathWhenNoFileMatches();
    void ignoresFoldersOfTheSameName();

    // Failed writes leave the old file alone.
    void writeIntoMissingFolderFails();
    void writeBelowARegularFileFails();
    void writeOverAFolderFails();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void unwritableFolderFailsForOrdinaryUsers();
    void writeReplacesOldContentWhole();

    // Deleting.
    void removesFile();
    void removingMissingFileIsNoFailure();
    void removingAFolderFails();
};

void TestTextFile::writesTimeRowsAsAsciiWithCrLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Time.stt");
    QCOMPARE(failureText(textfile::writeLines(path, {"14:30:00", "9:05:00"})), QString());
    QCOMPARE(fileBytes(path).toHex(), QByteArray("31343a33303a30300d0a393a30353a30300d0a"));
}

void TestTextFile::writesChineseRowsInGbk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    QCOMPARE(failureText(textfile::writeLines(path, {u"时提醒您：开会"_qs, u"时提醒您：吃饭"_qs})), QString());
    QCOMPARE(fileBytes(path).toHex(), QByteArray("cab1cce1d0d1c4faa3babfaabbe10d0acab1cce1d0d1c4faa3bab3d4b7b90d0a"));
    QCOMPARE(readBack(path), QStringList({u"时提醒您：开会"_qs, u"时提醒您：吃饭"_qs}));
}

void TestTextFile::emptyRowListWritesEmptyFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    putBytes(path, "old\r\n");
    QCOMPARE(failureText(textfile::writeLines(path, {})), QString());
    QCOMPARE(fileBytes(path), QByteArray());
    QCOMPARE(readBack(path), QStringList());
}

void TestTextFile::roundTripsTextOutsideGbk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    const QStringList rows = {u"时提醒您：看😀"_qs, u"𠀀字"_qs, u"付款 €12"_qs, u"é ß Ж ١ 한 ⅷ"_qs, u"\U0010FFFF"_qs};
    QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
    const auto back = textfile::readLines(path);
    QVERIFY(back);
    QCOMPARE(*back, rows);
    // The four-byte GB18030 form, not a replacement: 😀 is 9439FC36.
    QVERIFY(fileBytes(path).contains(QByteArray::fromHex("9439fc36")));
    // The four-byte forms of the BMP count out the characters GBK lacks, in order,
    // but for U+E7C7, which took the place of U+1E3F (now A8BC) in 2005.
    QCOMPARE(textfile::encode(u"ß\uE7C7\u1E3F\uFFFF"_qs).toHex(), QByteArray("813089388135f437a8bc8431a439"));
}

void TestTextFile::roundTripsEmptyAndBlankRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    const QStringList rows = {"", "  ", "", "a\tb", ""};
    QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
    QCOMPARE(fileBytes(path), QByteArray("\r\n  \r\n\r\na\tb\r\n\r\n"));
    QCOMPARE(readBack(path), rows);
}

void TestTextFile::loneSurrogateIsWrittenAsReplacement()
{
    QString broken = "a";
    broken += QChar(0xD83D); // high half of an emoji, no low half
    broken += "b";
    broken += QChar(0xDE00); // low half alone
    QCOMPARE(textfile::decode(textfile::encode(broken)), u"a\uFFFDb\uFFFD"_qs);
    QString trailing = "x";
    trailing += QChar(0xD83D);
    QCOMPARE(textfile::decode(textfile::encode(trailing)), u"x\uFFFD"_qs);
}

void TestTextFile::everyCharacterRoundTrips()
{
    QString all;
    all.reserve(0x110000 * 2);
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c == '\r' || c == '\n' || (c >= 0xD800 && c <= 0xDFFF)) continue;
        all += QChar::fromUcs4(c);
    }
    const QStringList back = textfile::splitLines(textfile::encode(all));
    QCOMPARE(back.size(), 1);
    if (back.front() != all) {
        const QList<uint> want = all.toUcs4(), got = back.front().toUcs4();
        qsizetype i = 0;
        while (i < want.size() && i < got.size() && want[i] == got[i])
            ++i;
        QFAIL(qPrintable(QString("first difference at U+%1").arg(i < want.size() ? want[i] : 0, 4, 16, QChar('0'))));
    }
}

void TestTextFile::everyTwoByteCodeIsWrittenBackAsRead()
{
    // Files written elsewhere in GBK come back byte for byte when saved again.
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const QByteArray code = QByteArray(1, char(lead)) + char(trail);
            const QString text = textfile::decode(code);
            if (text == QString(QChar::ReplacementCharacter)) continue;
            QCOMPARE(text.size(), 1);
            QCOMPARE(textfile::encode(text).toHex(), code.toHex());
            ++mapped;
        }
    }
    QCOMPARE(mapped, 126 * 190);
}

void TestTextFile::splitsLines_data()
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
}

void TestTextFile::splitsLines()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, lines);
    QCOMPARE(textfile::splitLines(contents), lines);
}

void TestTextFile::keepsEveryLineOfALongFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    QStringList rows;
    for (int i = 0; i < 157; ++i)
        rows << (i % 10 == 3 ? QString() : u"时提醒您：第%1件事"_qs.arg(i));
    QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
    const auto back = textfile::readLines(path);
    QVERIFY(back);
    QCOMPARE(back->size(), 157);
    QCOMPARE(*back, rows);

    // Larger than one read chunk, with lines across chunk boundaries.
    rows.clear();
    for (int i = 0; i < 30000; ++i)
        rows << u"第%1号方案"_qs.arg(i);
    QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
    QCOMPARE(readBack(path), rows);
}

void TestTextFile::undecodableBytesBecomeReplacement_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("lead byte then space") << QByteArray("\x81\x20") << u"\uFFFD "_qs;
    QTest::newRow("lone FF") << QByteArray("\xFF") << u"\uFFFD"_qs;
    QTest::newRow("lone 80") << QByteArray("\x80") << u"\uFFFD"_qs;
    QTest::newRow("truncated pair at the end") << QByteArray("ab\xCA") << u"ab\uFFFD"_qs;
    // The first byte is bad; the digit after it is read again on its own.
    QTest::newRow("truncated four-byte form at the end") << QByteArray("\x94\x39\xFC") << u"\uFFFD9\uFFFD"_qs;
    QTest::newRow("four-byte form past U+10FFFF") << QByteArray("\xFE\x39\xFE\x39") << u"\uFFFD"_qs;
    QTest::newRow("good text around a bad byte") << QByteArray("\xCA\xB1\xFF\xCC\xE1") << u"时\uFFFD提"_qs;
}

void TestTextFile::undecodableBytesBecomeReplacement()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(codepoints(textfile::decode(bytes)), codepoints(text));
    QCOMPARE(textfile::splitLines(bytes), QStringList{text});
    QCOMPARE(textfile::splitLines(bytes + "\r\n" + bytes), QStringList({text, text}));
}

void TestTextFile::brokenSequenceDoesNotSwallowLineEnd()
{
    // A lead byte right before CR or LF must not join the next line to this one,
    // nor leave the decoder expecting a second half on the next line.
    QCOMPARE(textfile::splitLines("a\x81\r\nx"), QStringList({u"a\uFFFD"_qs, u"x"_qs}));
    QCOMPARE(textfile::splitLines("\x81\r\xCA\xB1"), QStringList({u"\uFFFD"_qs, u"时"_qs}));
    QCOMPARE(textfile::splitLines("\x81\x30\x81\n\x30"), QStringList({u"\uFFFD0\uFFFD"_qs, u"0"_qs}));
    // What is left of a broken sequence at a line end does not turn up in the next line.
    QCOMPARE(textfile::splitLines("\x94\x39\xFC\r\nab\r\n"), QStringList({u"\uFFFD9\uFFFD"_qs, u"ab"_qs}));
}

void TestTextFile::readsWhatIsOnDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    putBytes(path, QByteArray::fromHex("cab1cce1d0d1c4faa3babfaabbe10d0a0d0a41"));
    QCOMPARE(readBack(path), QStringList({u"时提醒您：开会"_qs, "", "A"}));
}

void TestTextFile::missingFileReadsAsNothing()
{
    QTemporaryDir dir;
    QVERIFY(!textfile::readLines(dir.filePath("Time.stt")));
    QVERIFY(!textfile::readLines(dir.filePath("no/such/Time.stt")));
}

void TestTextFile::folderReadsAsNothing()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Time.stt"));
    QVERIFY(!textfile::readLines(dir.filePath("Time.stt")));
}

void TestTextFile::findsFileWhateverItsCase_data()
{
    QTest::addColumn<QString>("onDisk");
    QTest::newRow("upper case") << "TASK.STS";
    QTest::newRow("mixed case") << "Task.sts";
    QTest::newRow("same case") << "task.sts";
}

void TestTextFile::findsFileWhateverItsCase()
{
    QFETCH(QString, onDisk);
    QTemporaryDir dir;
    putBytes(dir.filePath("Time.stt"), "x");
    putBytes(dir.filePath(onDisk), "x");
    const QString found = textfile::findNoCase(dir.path(), "task.sts");
    QVERIFY2(testsystem::samePath(found, dir.path() + "/" + onDisk), qPrintable(found));
}

void TestTextFile::prefersExactCase()
{
    if (const QString why = testsystem::whyCaseVariantsDoNotApply(); !why.isEmpty()) QSKIP(qPrintable(why));
    QTemporaryDir dir;
    putBytes(dir.filePath("TASK.STS"), "1");
    putBytes(dir.filePath("Task.sts"), "2");
    putBytes(dir.filePath("task.sts"), "3");
    QCOMPARE(textfile::findNoCase(dir.path(), "Task.sts"), dir.path() + "/Task.sts");
    QCOMPARE(textfile::findNoCase(dir.path(), "task.sts"), dir.path() + "/task.sts");
    // No exact match: still one of them, the same one every time.
    const QString chosen = textfile::findNoCase(dir.path(), "TASK.sts");
    QVERIFY(chosen.endsWith("/TASK.STS") || chosen.endsWith("/Task.sts") || chosen.endsWith("/task.sts"));
    QCOMPARE(textfile::findNoCase(dir.path(), "TASK.sts"), chosen);
}

void TestTextFile::givesPlainPathWhenNoFileMatches()
{
    QTemporaryDir dir;
    putBytes(dir.filePath("Task.sts.bak"), "x");
    putBytes(dir.filePath("Tas.sts"), "x");
    QCOMPARE(textfile::findNoCase(dir.path(), "Task.sts"), dir.path() + "/Task.sts");
    QCOMPARE(textfile::findNoCase(dir.path() + "/missing", "Task.sts"), dir.path() + "/missing/Task.sts");
}

void TestTextFile::ignoresFoldersOfTheSameName()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("TASK.STS"));
    QCOMPARE(textfile::findNoCase(dir.path(), "Task.sts"), dir.path() + "/Task.sts");
}

void TestTextFile::writeIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/Time.stt");
    const auto failure = textfile::writeLines(path, {"14:30:00"});
    QVERIFY(failure);
    QCOMPARE(failure->file, path);
    QVERIFY(!failure->reason.isEmpty());
    QVERIFY(!QFile::exists(dir.filePath("missing")));
}

void TestTextFile::writeBelowARegularFileFails()
{
    QTemporaryDir dir;
    putBytes(dir.filePath("plain"), "not a folder");
    const QString path = dir.filePath("plain/Time.stt");
    const auto failure = textfile::writeLines(path, {"14:30:00"});
    QVERIFY(failure);
    QCOMPARE(failure->file, path);
    QVERIFY(!failure->reason.isEmpty());
    QCOMPARE(fileBytes(dir.filePath("plain")), QByteArray("not a folder"));
}

void TestTextFile::writeOverAFolderFails()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Time.stt"));
    const auto failure = textfile::writeLines(dir.filePath("Time.stt"), {"14:30:00"});
    QVERIFY(failure);
    QCOMPARE(failure->file, dir.filePath("Time.stt"));
    QVERIFY(QFileInfo(dir.filePath("Time.stt")).isDir());
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Time.stt"});
}

void TestTextFile::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<int>("rowCount");
    // Small enough to sit in the write buffer until flushed, and far larger than it.
    QTest::newRow("fits the buffer") << 20;
    QTest::newRow("exceeds the buffer") << 20000;
}

void TestTextFile::failedWriteKeepsOldFile()
{
    QFETCH(int, rowCount);
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    const QByteArray old = QByteArray::fromHex("cab1cce1d0d1c4faa3babfaabbe10d0a");
    putBytes(path, old);
    QStringList rows;
    for (int i = 0; i < rowCount; ++i)
        rows << u"时提醒您：吃饭 %1"_qs.arg(i);

    std::optional<FileFailure> failure;
#ifdef Q_OS_WIN
    QSKIP("Windows has no per-process file size limit to stand in for a full disk");
#else
    {
        FileSizeLimit limit(64);
        if (!limit.ok()) QSKIP("cannot lower the file size limit here");
        failure = textfile::writeLines(path, rows);
    }
#endif
    QVERIFY(failure);
    QCOMPARE(failure->file, path);
    QVERIFY(!failure->reason.isEmpty());
    QCOMPARE(fileBytes(path), old);
    // The half-written temporary file is gone too.
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Task.sts"});

    // Once there is room again the same write succeeds.
    QCOMPARE(failureText(textfile::writeLines(path, rows)), QString());
    QCOMPARE(readBack(path), rows);
}

void TestTextFile::unwritableFolderFailsForOrdinaryUsers()
{
    if (const QString why = testsystem::whyFolderPermissionsDoNotApply(); !why.isEmpty()) QSKIP(qPrintable(why));
    QTemporaryDir dir;
    const QString sub = dir.filePath("locked");
    QVERIFY(QDir(dir.path()).mkdir("locked"));
    const QString path = sub + "/Time.stt";
    putBytes(path, "08:00:00\r\n");
    QVERIFY(QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner));
    const auto failure = textfile::writeLines(path, {"14:30:00"});
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(failure);
    QCOMPARE(failure->file, path);
    QCOMPARE(fileBytes(path), QByteArray("08:00:00\r\n"));
}

void TestTextFile::writeReplacesOldContentWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Time.stt");
    putBytes(path, "01:00:00\r\n02:00:00\r\n03:00:00\r\n04:00:00\r\n");
    QCOMPARE(failureText(textfile::writeLines(path, {"05:00:00"})), QString());
    QCOMPARE(fileBytes(path), QByteArray("05:00:00\r\n"));
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Time.stt"});
}

void TestTextFile::removesFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Task.sts");
    putBytes(path, "x\r\n");
    QCOMPARE(failureText(textfile::remove(path)), QString());
    QVERIFY(!QFile::exists(path));
}

void TestTextFile::removingMissingFileIsNoFailure()
{
    QTemporaryDir dir;
    QCOMPARE(failureText(textfile::remove(dir.filePath("Task.sts"))), QString());
    QCOMPARE(failureText(textfile::remove(dir.filePath("missing/Task.sts"))), QString());
}

void TestTextFile::removingAFolderFails()
{
    // Unlinking a folder fails even for root, unlike permission bits.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Task.sts"));
    putBytes(dir.filePath("Task.sts/inside"), "x");
    const auto failure = textfile::remove(dir.filePath("Task.sts"));
    QVERIFY(failure);
    QCOMPARE(failure->file, dir.filePath("Task.sts"));
    QVERIFY(!failure->reason.isEmpty());
    QVERIFY(QFileInfo(dir.filePath("Task.sts")).isDir());
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
