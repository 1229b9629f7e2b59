// The window position kept in the settings file.
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class PositionTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartOpensAtTheCorner()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        QCOMPARE(f.pos(), QPoint(0, 0));
        QVERIFY(!QFile::exists(tp.path("Quorvalent.ini")));
        f.WritePro();
        QCOMPARE(readFile(tp.path("Quorvalent.ini")), QByteArray("[Setup_Info]\r\nLeft=0\r\nTop=0\r\n"));
    }

    void roundTripOfAMovedWindow()
    {
        TestPlatform tp;
        {
            Form1 f(tp.platform());
            f.move(249, 71);
            f.WritePro();
        }
        QCOMPARE(readFile(tp.path("Quorvalent.ini")), QByteArray("[Setup_Info]\r\nLeft=3735\r\nTop=1065\r\n"));
        Form1 next(tp.platform());
        QCOMPARE(next.pos(), QPoint(249, 71));
    }

    void fileWithOnlyLeft()
    {
        TestPlatform tp;
        writeFile(tp.path("Quorvalent.ini"), "[Setup_Info]\r\nLeft=1500\r\n");
        Form1 f(tp.platform());
        QCOMPARE(f.pos(), QPoint(100, 0));
    }

    void keysMatchWhateverTheirCase()
    {
        TestPlatform tp;
        writeFile(tp.path("Quorvalent.ini"), "[setup_info]\nLEFT= 300 \ntop=150abc\n");
        Form1 f(tp.platform());
        QCOMPARE(f.pos(), QPoint(20, 10));
    }

    void keepsOtherContentOfTheFile()
    {
        TestPlatform tp;
        writeFile(tp.path("Quorvalent.ini"), "; mine\r\n[Other]\r\nx=1\r\n[Setup_Info]\r\nTop=15\r\nLeft=15\r\n");
        Form1 f(tp.platform());
        QCOMPARE(f.pos(), QPoint(1, 1));
        f.move(2, 3);
        f.WritePro();
        QCOMPARE(readFile(tp.path("Quorvalent.ini")),
            QByteArray("; mine\r\n[Other]\r\nx=1\r\n[Setup_Info]\r\nTop=45\r\nLeft=30\r\n"));
    }

    void positionOffEveryScreenOpensAtTheCorner()
    {
        // Left where a monitor used to be: no part of the title bar would show.
        TestPlatform tp;
        writeFile(tp.path("Quorvalent.ini"), "[Setup_Info]\r\nLeft=900000\r\nTop=-60000\r\n");
        Form1 f(tp.platform());
        QCOMPARE(f.pos(), QPoint(0, 0));
        // Partly off the screen is still reachable, and kept.
        TestPlatform partly;
        writeFile(partly.path("Quorvalent.ini"), "[Setup_Info]\r\nLeft=-3000\r\nTop=150\r\n");
        Form1 g(partly.platform());
        QCOMPARE(g.pos(), QPoint(-200, 10));
    }

private:
};

QTEST_MAIN(PositionTest)
#include "tst_position.moc"
