// The window position kept in the settings file.
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class PositionTest : public QObject
{
    Q_OBJECT

private slots:
    void keptInTheSettingsFile_data()
    {
        // The file before the start (none when empty), where the window opens,
        // where it is moved, and the file after the position is written.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QPoint>("opensAt");
        QTest::addColumn<QPoint>("movedTo");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("first start") << QByteArray() << QPoint(0, 0) << QPoint(0, 0)
                                     << QByteArray("[Setup_Info]\r\nLeft=0\r\nTop=0\r\n");
        QTest::newRow("moved") << QByteArray() << QPoint(0, 0) << QPoint(249, 71)
                               << QByteArray("[Setup_Info]\r\nLeft=3735\r\nTop=1065\r\n");
        QTest::newRow("only Left") << QByteArray("[Setup_Info]\r\nLeft=1500\r\n") << QPoint(100, 0) << QPoint(100, 0)
                                   << QByteArray("[Setup_Info]\r\nLeft=1500\r\nTop=0\r\n");
        QTest::newRow("keys of any case")
            << QByteArray("[setup_info]\nLEFT= 300 \ntop=150abc\n") << QPoint(20, 10) << QPoint(20, 10) << QByteArray();
        QTest::newRow("other content kept")
            << QByteArray("; mine\r\n[Other]\r\nx=1\r\n[Setup_Info]\r\nTop=15\r\nLeft=15\r\n") << QPoint(1, 1)
            << QPoint(2, 3) << QByteArray("; mine\r\n[Other]\r\nx=1\r\n[Setup_Info]\r\nTop=45\r\nLeft=30\r\n");
        // Left where a monitor used to be: no part of the title bar would show.
        QTest::newRow("off every screen") << QByteArray("[Setup_Info]\r\nLeft=900000\r\nTop=-60000\r\n") << QPoint(0, 0)
                                          << QPoint(0, 0) << QByteArray();
        // Partly off the screen is still reachable, and kept.
        QTest::newRow("partly off") << QByteArray("[Setup_Info]\r\nLeft=-3000\r\nTop=150\r\n") << QPoint(-200, 10)
                                    << QPoint(-200, 10) << QByteArray();
    }

    void keptInTheSettingsFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QPoint, opensAt);
        QFETCH(QPoint, movedTo);
        QFETCH(QByteArray, after);
        TestPlatform tp;
        if (!before.isEmpty()) writeFile(tp.path("Quorvalent.ini"), before);
        {
            Form1 f(tp.platform());
            QCOMPARE(f.pos(), opensAt);
            QCOMPARE(QFile::exists(tp.path("Quorvalent.ini")), !before.isEmpty()); // starting writes nothing
            f.move(movedTo);
            f.WritePro();
        }
        if (!after.isEmpty()) QCOMPARE(readFile(tp.path("Quorvalent.ini")), after);
        Form1 next(tp.platform());
        QCOMPARE(next.pos(), movedTo);
    }
};

QTEST_MAIN(PositionTest)
#include "tst_position.moc"
