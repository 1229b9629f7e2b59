#include "platform/profile.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

namespace {

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
        writeFile(ini(), contents);
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
        QTest::newRow("blanks only") << "   " << 0;
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
        QCOMPARE(leftOf("[Setup_Info]\r\nLeft=" + text.toUtf8() + "\r\n"), expected);
    }

    // --- finding section and key ---

    void findsLeft_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact case") << QByteArray("[Setup_Info]\r\nLeft=5\r\n") << 5;
        QTest::newRow("lower case") << QByteArray("[setup_info]\r\nleft=5\r\n") << 5;
        QTest::newRow("upper case") << QByteArray("[SETUP_INFO]\r\nLEFT=5\r\n") << 5;
        QTest::newRow("blanks") << QByteArray("  [ \tSetup_Info  ]\r\n\t Left \t=  5  \r\n") << 5;
        QTest::newRow("empty file") << QByteArray("") << 77;
        QTest::newRow("no such section") << QByteArray("[Other]\r\nLeft=5\r\n") << 77;
        QTest::newRow("no such key") << QByteArray("[Setup_Info]\r\nTop=5\r\n") << 77;
        QTest::newRow("whole names only") << QByteArray("[Setup_Info]\r\nLefty=5\r\nLef=6\r\n") << 77;
        QTest::newRow("first key wins") << QByteArray("[Setup_Info]\r\nLeft=1\r\nleft=2\r\n") << 1;
        QTest::newRow("first section wins") << QByteArray("[Setup_Info]\r\nLeft=1\r\n[SETUP_INFO]\r\nLeft=2\r\n") << 1;
        // Only the first matching section is searched.
        QTest::newRow("only the first section")
            << QByteArray("[Setup_Info]\r\nTop=1\r\n[setup_info]\r\nLeft=2\r\n") << 77;
        QTest::newRow("key of another section") << QByteArray("[Other]\r\nLeft=1\r\n[Setup_Info]\r\nLeft=2\r\n") << 2;
        QTest::newRow("outside any section") << QByteArray("Left=5\r\n[Setup_Info]\r\nTop=1\r\n") << 77;
        QTest::newRow("comments") << QByteArray("[Setup_Info]\r\n;Left=5\r\n  ; Left=6\r\n") << 77;
        QTest::newRow("the next section ends it") << QByteArray("[Setup_Info]\r\n[Other]\r\nLeft=5\r\n") << 77;
        QTest::newRow("an empty header ends it too") << QByteArray("[Setup_Info]\r\n[]\r\nLeft=5\r\n") << 77;
        QTest::newRow("lines without '='") << QByteArray("[Setup_Info]\r\nLeft 5\r\ngarbage\r\nLeft=6\r\n") << 6;
        QTest::newRow("'[' without ']' is no header") << QByteArray("[Setup_Info]\r\n[Broken\r\nLeft=6\r\n") << 6;
        QTest::newRow("text after a header") << QByteArray("[Setup_Info] trailing text\r\nLeft=6\r\n") << 6;
        QTest::newRow("the value is \"=6\"") << QByteArray("[Setup_Info]\r\nLeft==6\r\n") << 0;
    }
    void findsLeft()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, expected);
        QCOMPARE(leftOf(contents), expected);
    }

    void missingFileGivesTheDefault()
    {
        QCOMPARE(profile::getInt(setup, left, 77, ini()), 77);
        QCOMPARE(profile::getInt(setup, left, -3, dir.filePath("nowhere/Quorvalent.ini")), -3);
        QCOMPARE(profile::getInt(setup, left, 77, dir.path()), 77); // a folder, not a file
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

    void headersAndCodePage_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("expected");
        QTest::newRow("blanks around the value") << QByteArray("[Setup_Info]\r\nLeft = 6 \t\r\n") << setup << 6;
        // A header's name runs to its last ']'.
        QTest::newRow("']' in a name") << QByteArray("[Setup]Info]\r\nLeft=6\r\n") << "Setup]Info" << 6;
        QTest::newRow("not to the first ']'") << QByteArray("[Setup]Info]\r\nLeft=6\r\n") << "Setup" << 77;
        // 设置 in GB18030.
        QTest::newRow("name in the code page") << QByteArray("[\xC9\xE8\xD6\xC3]\r\nLeft=4\r\n") << u"设置"_qs << 4;
        // 0x81 0x5D is one character whose second byte looks like ']': no header, so Left stays in Setup_Info.
        QTest::newRow("']' as a trail byte")
            << QByteArray("[Setup_Info]\r\nTop=1\r\n[\x81\x5D\r\nLeft=5\r\n") << setup << 5;
        // Bytes that do not decode do not hurt the lines around them.
        QTest::newRow("broken bytes") << QByteArray(
            "\xFF\xFE\x81\r\n[Setup_Info]\r\nX\x81=\xFF\x80\r\nLeft=9\r\n\x84\x31\r\n")
                                      << setup << 9;
    }
    void headersAndCodePage()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, section);
        QFETCH(int, expected);
        QCOMPARE(profile::readInt(contents, section, left, 77), expected);
    }

    // --- writing ---

    void writes_data()
    {
        // The file before (none when empty), what is written, and the file after, byte for byte.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << setup << left << "3735"
                                  << QByteArray("[Setup_Info]\r\nLeft=3735\r\n");
        QTest::newRow("key added") << QByteArray("[Setup_Info]\r\nLeft=3735\r\n") << setup << top << "1065"
                                   << QByteArray("[Setup_Info]\r\nLeft=3735\r\nTop=1065\r\n");
        QTest::newRow("section after LF") << QByteArray("; mine\n[Other]\nA=1") << setup << left << "5"
                                          << QByteArray("; mine\n[Other]\nA=1\r\n[Setup_Info]\r\nLeft=5\r\n");
        QTest::newRow("section after CR") << QByteArray("[Other]\rA=1\r") << setup << left << "5"
                                          << QByteArray("[Other]\rA=1\r[Setup_Info]\r\nLeft=5\r\n");
        // Every other byte stays as it was, the blanks around the value too.
        const QByteArray file("; window position\r\n\r\n[setup_info]\r\n  LEFT = 100\r\ntop=5\n\n[Other]\r\nLeft=9\r");
        QTest::newRow("replaced in place")
            << file << setup << left << "3735" << QByteArray(file).replace("LEFT = 100", "LEFT = 3735");
        QTest::newRow("replaced, LF") << file << setup << top << "-1" << QByteArray(file).replace("top=5", "top=-1");
        QTest::newRow("shorter value") << QByteArray(file).replace("100", "3735") << setup << left << "7"
                                       << QByteArray(file).replace("100", "7");
        QTest::newRow("only the first match")
            << QByteArray("[Setup_Info]\r\nLeft=1\r\nLeft=2\r\n[SETUP_INFO]\r\nLeft=3\r\n") << setup << left << "8"
            << QByteArray("[Setup_Info]\r\nLeft=8\r\nLeft=2\r\n[SETUP_INFO]\r\nLeft=3\r\n");
        QTest::newRow("key into a section that is not last")
            << QByteArray("[Setup_Info]\r\nLeft=1\r\n; about Other\r\n\r\n[Other]\r\nTop=2\r\n") << setup << top
            << "1065" << QByteArray("[Setup_Info]\r\nLeft=1\r\nTop=1065\r\n; about Other\r\n\r\n[Other]\r\nTop=2\r\n");
        QTest::newRow("key into an empty section") << QByteArray("[Setup_Info]\n[Other]\n") << setup << top << "3"
                                                   << QByteArray("[Setup_Info]\nTop=3\r\n[Other]\n");
        QTest::newRow("header without line end")
            << QByteArray("[Setup_Info]") << setup << top << "3" << QByteArray("[Setup_Info]\r\nTop=3\r\n");
        QTest::newRow("names in the code page")
            << QByteArray() << u"设置"_qs << u"左"_qs << "1" << QByteArray("[\xC9\xE8\xD6\xC3]\r\n\xD7\xF3=1\r\n");
    }
    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) writeFile(ini(), before);
        QVERIFY(profile::writeString(section, key, value, ini()));
        QCOMPARE(readFile(ini()), after);
        QCOMPARE(profile::getInt(section, key, 77, ini()), value.toInt());
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
