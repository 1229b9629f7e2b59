#include "platform/profile.h"
#include "support/system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

const QString setup = QStringLiteral("Setup_Info");
const QString left = QStringLiteral("Left");
const QString top = QStringLiteral("Top");

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString ini() const { return dir.filePath(QStringLiteral("Quorvalent.ini")); }
    // The Left value of a file holding contents, default 77 so that a default is never mistaken for 0.
    int leftOf(const QByteArray &contents)
    {
        writeBytes(ini(), contents);
        return profile::getInt(setup, left, 77, ini());
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        QFile::remove(ini());
    }

    // --- reading integers ---

    void leadingInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "3735" << 3735;
        QTest::newRow("blanks and minus") << "  -120" << -120;
        QTest::newRow("tab") << "\t42" << 42;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("trailing garbage") << "12abc" << 12;
        QTest::newRow("trailing blank") << "12 34" << 12;
        QTest::newRow("fraction") << "1.5" << 1;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("garbage") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("blank after sign") << "- 5" << 0;
        QTest::newRow("two signs") << "+-5" << 0;
        QTest::newRow("full-width digits are not digits") << QString::fromUtf8("１２") << 0;
        QTest::newRow("int max") << "2147483647" << INT_MAX;
        QTest::newRow("just past int max") << "2147483648" << INT_MAX;
        QTest::newRow("int min") << "-2147483648" << INT_MIN;
        QTest::newRow("just past int min") << "-2147483649" << INT_MIN;
        QTest::newRow("huge") << "99999999999999999999" << INT_MAX;
        QTest::newRow("huge negative") << "-99999999999999999999" << INT_MIN;
        QTest::newRow("very long") << QString(500, u'9') << INT_MAX;
    }
    void leadingInt()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(profile::parseLeadingInt(text), expected);
        // The same through a file, where blanks after '=' are trimmed first.
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=" + text.toUtf8() + "\r\n"), expected);
    }

    void emptyValueReadsAsZero()
    {
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=\r\n"), 0);
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=   \r\n"), 0);
    }

    // --- finding section and key ---

    void caseOfSectionAndKey_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("exact") << QByteArray("[Setup_Info]\r\nLeft=5\r\n");
        QTest::newRow("lower") << QByteArray("[setup_info]\r\nleft=5\r\n");
        QTest::newRow("upper") << QByteArray("[SETUP_INFO]\r\nLEFT=5\r\n");
        QTest::newRow("blanks") << QByteArray("  [ \tSetup_Info  ]\r\n\t Left \t=  5  \r\n");
    }
    void caseOfSectionAndKey()
    {
        QFETCH(QByteArray, contents);
        QCOMPARE(leftOf(contents), 5);
    }

    void missingPiecesGiveTheDefault()
    {
        QCOMPARE(profile::getInt(setup, left, 77, ini()), 77); // no file
        QCOMPARE(profile::getInt(setup, left, -3, dir.filePath("nowhere/Quorvalent.ini")), -3);
        QCOMPARE(profile::getInt(setup, left, 77, dir.path()), 77); // a folder, not a file
        QCOMPARE(leftOf(""), 77);
        QCOMPARE(leftOf("[Other]\r\nLeft=5\r\n"), 77); // no such section
        QCOMPARE(leftOf("[Setup_Info]\r\nTop=5\r\n"), 77); // no such key
        QCOMPARE(leftOf("[Setup_Info]\r\nLefty=5\r\nLef=6\r\n"), 77); // whole names only
    }

    void fileWithOnlyLeft()
    {
        writeBytes(ini(), "[Setup_Info]\r\nLeft=3735\r\n");
        QCOMPARE(profile::getInt(setup, left, 0, ini()), 3735);
        QCOMPARE(profile::getInt(setup, top, 0, ini()), 0);
        QCOMPARE(profile::getInt(setup, top, 11, ini()), 11);
    }

    void firstMatchWins()
    {
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=1\r\nleft=2\r\n"), 1);
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=1\r\n[SETUP_INFO]\r\nLeft=2\r\n"), 1);
        // Only the first matching section is searched.
        QCOMPARE(leftOf("[Setup_Info]\r\nTop=1\r\n[setup_info]\r\nLeft=2\r\n"), 77);
        // A key of the same name in another section is not taken.
        QCOMPARE(leftOf("[Other]\r\nLeft=1\r\n[Setup_Info]\r\nLeft=2\r\n"), 2);
    }

    void lineEndings_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("CR LF") << QByteArray("[Other]\r\nLeft=1\r\n[Setup_Info]\r\nTop=2\r\nLeft=3\r\n");
        QTest::newRow("LF") << QByteArray("[Other]\nLeft=1\n[Setup_Info]\nTop=2\nLeft=3\n");
        QTest::newRow("CR") << QByteArray("[Other]\rLeft=1\r[Setup_Info]\rTop=2\rLeft=3\r");
        QTest::newRow("mixed, no final break") << QByteArray("[Other]\rLeft=1\n[Setup_Info]\r\n\r\rTop=2\nLeft=3");
    }
    void lineEndings()
    {
        QFETCH(QByteArray, contents);
        QCOMPARE(leftOf(contents), 3);
        QCOMPARE(profile::getInt(setup, top, 77, ini()), 2);
    }

    void linesThatAreNotKeys()
    {
        QCOMPARE(leftOf("Left=5\r\n[Setup_Info]\r\nTop=1\r\n"), 77); // outside any section
        QCOMPARE(leftOf("[Setup_Info]\r\n;Left=5\r\n  ; Left=6\r\n"), 77); // comments
        QCOMPARE(leftOf("[Setup_Info]\r\n[Other]\r\nLeft=5\r\n"), 77); // the next section ends it
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft 5\r\ngarbage\r\nLeft=6\r\n"), 6);
        QCOMPARE(leftOf("[Setup_Info]\r\n[Broken\r\nLeft=6\r\n"), 6); // '[' without ']' is no header
        QCOMPARE(leftOf("[Setup_Info] trailing text\r\nLeft=6\r\n"), 6);
        // A header's name runs to its last ']'.
        QCOMPARE(profile::findValue("[Setup]Info]\r\nLeft=6\r\n", "Setup]Info", left), QString("6"));
        QCOMPARE(profile::findValue("[Setup]Info]\r\nLeft=6\r\n", "Setup", left), std::nullopt);
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft==6\r\n"), 0); // the value is "=6"
    }

    void codePage()
    {
        // 设置 in GB18030.
        const QByteArray chinese("[\xC9\xE8\xD6\xC3]\r\nLeft=4\r\n");
        QCOMPARE(profile::findValue(chinese, QString::fromUtf8("设置"), left), QString("4"));
        // 0x81 0x5D is one character whose second byte looks like ']': no header, so Left stays in Setup_Info.
        QCOMPARE(profile::findValue("[Setup_Info]\r\nTop=1\r\n[\x81\x5D\r\nLeft=5\r\n", setup, left), QString("5"));

        // Bytes that do not decode do not hurt the lines around them.
        const QByteArray broken("\xFF\xFE\x81\r\n[Setup_Info]\r\nX\x81=\xFF\x80\r\nLeft=9\r\n\x84\x31\r\n");
        QCOMPARE(profile::findValue(broken, setup, left), QString("9"));
    }

    // --- writing ---

    void createsFileSectionAndKey()
    {
        QString error;
        QVERIFY2(profile::writeString(setup, left, "3735", ini(), &error), qPrintable(error));
        QCOMPARE(readBytes(ini()), QByteArray("[Setup_Info]\r\nLeft=3735\r\n"));
        QVERIFY(profile::writeString(setup, top, "1065", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[Setup_Info]\r\nLeft=3735\r\nTop=1065\r\n"));
        QCOMPARE(profile::getInt(setup, left, 0, ini()), 3735);
        QCOMPARE(profile::getInt(setup, top, 0, ini()), 1065);
    }

    void appendsSection()
    {
        writeBytes(ini(), "; mine\n[Other]\nA=1");
        QVERIFY(profile::writeString(setup, left, "5", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("; mine\n[Other]\nA=1\r\n[Setup_Info]\r\nLeft=5\r\n"));
        writeBytes(ini(), "[Other]\rA=1\r");
        QVERIFY(profile::writeString(setup, left, "5", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[Other]\rA=1\r[Setup_Info]\r\nLeft=5\r\n"));
    }

    void replacesInPlace()
    {
        const QByteArray before(
            "; window position\r\n\r\n[setup_info]\r\n  LEFT = 100\r\ntop=5\n\n[Other]\r\nLeft=9\r");
        writeBytes(ini(), before);
        QVERIFY(profile::writeString(setup, left, "3735", ini()));
        QByteArray expected = before;
        expected.replace("LEFT = 100", "LEFT = 3735");
        QCOMPARE(readBytes(ini()), expected);
        QVERIFY(profile::writeString(setup, top, "-1", ini()));
        expected.replace("top=5", "top=-1");
        QCOMPARE(readBytes(ini()), expected);
        // A shorter value leaves nothing of the old one behind.
        QVERIFY(profile::writeString(setup, left, "7", ini()));
        expected.replace("LEFT = 3735", "LEFT = 7");
        QCOMPARE(readBytes(ini()), expected);
    }

    void replacesOnlyTheFirstMatch()
    {
        writeBytes(ini(), "[Setup_Info]\r\nLeft=1\r\nLeft=2\r\n[SETUP_INFO]\r\nLeft=3\r\n");
        QVERIFY(profile::writeString(setup, left, "8", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[Setup_Info]\r\nLeft=8\r\nLeft=2\r\n[SETUP_INFO]\r\nLeft=3\r\n"));
    }

    void appendsKeyToSectionThatIsNotLast()
    {
        writeBytes(ini(), "[Setup_Info]\r\nLeft=1\r\n; about Other\r\n\r\n[Other]\r\nTop=2\r\n");
        QVERIFY(profile::writeString(setup, top, "1065", ini()));
        QCOMPARE(readBytes(ini()),
            QByteArray("[Setup_Info]\r\nLeft=1\r\nTop=1065\r\n; about Other\r\n\r\n[Other]\r\nTop=2\r\n"));
        QCOMPARE(profile::getInt("Other", top, 0, ini()), 2);

        writeBytes(ini(), "[Setup_Info]\n[Other]\n");
        QVERIFY(profile::writeString(setup, top, "3", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[Setup_Info]\nTop=3\r\n[Other]\n"));

        writeBytes(ini(), "[Setup_Info]");
        QVERIFY(profile::writeString(setup, top, "3", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[Setup_Info]\r\nTop=3\r\n"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("negative") << -120;
        QTest::newRow("zero") << 0;
        QTest::newRow("int min") << INT_MIN;
        QTest::newRow("int max") << INT_MAX;
    }
    void roundTrip()
    {
        QFETCH(int, number);
        QVERIFY(profile::writeString(setup, left, QString::number(number), ini()));
        QVERIFY(profile::writeString(setup, top, QString::number(-(number / 2)), ini()));
        QCOMPARE(profile::getInt(setup, left, 77, ini()), number);
        QCOMPARE(profile::getInt(setup, top, 77, ini()), -(number / 2));
    }

    void writesTheCodePage()
    {
        QVERIFY(profile::writeString(QString::fromUtf8("设置"), QString::fromUtf8("左"), "1", ini()));
        QCOMPARE(readBytes(ini()), QByteArray("[\xC9\xE8\xD6\xC3]\r\n\xD7\xF3=1\r\n"));
        QCOMPARE(profile::getInt(QString::fromUtf8("设置"), QString::fromUtf8("左"), 0, ini()), 1);
    }

    // --- failures ---

    void missingFolderFails()
    {
        const QString path = dir.filePath("nowhere/Quorvalent.ini");
        QString error;
        QVERIFY(!profile::writeString(setup, left, "1", path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath("nowhere")));
    }

    void folderThatIsAFileFails()
    {
        const QString blocker = dir.filePath("blocker");
        writeBytes(blocker, "[Setup_Info]\r\nLeft=1\r\n");
        QString error;
        QVERIFY(!profile::writeString(setup, left, "2", blocker + "/Quorvalent.ini", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(blocker), QByteArray("[Setup_Info]\r\nLeft=1\r\n"));
    }

    void targetThatIsAFolderFails()
    {
        QVERIFY(QDir(dir.path()).mkpath("Quorvalent.ini"));
        QString error;
        QVERIFY(!profile::writeString(setup, left, "2", ini(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(ini()).isDir());
        QVERIFY(QDir(dir.path()).rmdir("Quorvalent.ini"));
    }

    void unstorableTextFailsAndKeepsTheFile()
    {
        const QByteArray before("[Setup_Info]\r\nLeft=1\r\n");
        writeBytes(ini(), before);
        const QString lone(QChar(0xD800));
        const QList<QStringList> bad{{setup, left, "1\r\nTop=2"}, {setup, "Le\nft", "1"}, {"Setup\rInfo", left, "1"},
            {setup, "a=b", "1"}, {setup, "", "1"}, {setup, "  ", "1"}, {setup, ";Left", "1"}, {setup, "[Left", "1"},
            {setup, left, "1" + lone}};
        for (const QStringList &b : bad) {
            QString error;
            QVERIFY2(!profile::writeString(b[0], b[1], b[2], ini(), &error), qPrintable(b.join('|')));
            QVERIFY(!error.isEmpty());
            QCOMPARE(readBytes(ini()), before);
            QCOMPARE(profile::setValue(before, b[0], b[1], b[2]), before);
        }
    }

    void readOnlyFolderFailsAndKeepsTheFile()
    {
        if (const QString why = testsystem::whyFolderPermissionsDoNotApply(); !why.isEmpty()) QSKIP(qPrintable(why));
        const QString folder = dir.filePath("locked");
        QVERIFY(QDir(dir.path()).mkpath("locked"));
        const QString path = folder + "/Quorvalent.ini";
        writeBytes(path, "[Setup_Info]\r\nLeft=1\r\n");
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QString error;
        const bool written = profile::writeString(setup, left, "2", path, &error);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(path), QByteArray("[Setup_Info]\r\nLeft=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
