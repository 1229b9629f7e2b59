// The about window and the holiday greeting.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QtTest>

namespace {

void doubleClick(Form1 &f, QPoint at)
{
    QTest::mouseDClick(f.windowHandle(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
}

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void doubleClickOnTheSurfaceAloneOpensTheAboutWindow()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        for (QWidget *w : Controls{f.Label4, f.Label3, f.Picture1, f.Text1})
            doubleClick(f, w->geometry().center());
        QVERIFY(!f.form3());
        QVERIFY(f.isEnabled());
        doubleClick(f, QPoint(5, 120)); // bare surface
        QVERIFY(f.form3());
        QVERIFY(f.form3()->isVisible());
        QVERIFY(!f.isEnabled());
        // Disabled, the main window takes no further double-click or button press.
        QVERIFY(!f.Command6->isEnabled());
    }

    void aClickOnTheAboutWindowGivesTheMainWindowBack_data()
    {
        QTest::addColumn<bool>("closedByTheWindowManager");
        QTest::newRow("click on the picture") << false;
        QTest::newRow("the window manager's close") << true;
    }

    void aClickOnTheAboutWindowGivesTheMainWindowBack()
    {
        QFETCH(bool, closedByTheWindowManager);
        TestPlatform tp;
        Form1 f(tp.platform());
        f.show();
        f.Form_DblClick();
        Form3 *about = f.form3();
        f.hide(); // whatever hid it meanwhile, it comes back
        if (closedByTheWindowManager)
            QVERIFY(about->close());
        else
            QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(100, 100));
        QVERIFY(!about->isVisible());
        QVERIFY(f.isVisible());
        QVERIFY(f.isEnabled());
        // The same window again next time.
        f.Form_DblClick();
        QCOMPARE(f.form3(), about);
        QVERIFY(about->isVisible());
    }

    void aboutWindowLooksAsDesigned()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Form_DblClick();
        Form3 *about = f.form3();
        QCOMPARE(about->clientGeometry(), QRect(317, 232, 444, 214));
        QVERIFY(!(about->windowFlags() & Qt::WindowTitleHint));
        QCOMPARE(about->palette().color(QPalette::Window), QColor(0, 0, 128));
        // The picture is drawn unscaled at the client area's top-left corner.
        const QImage shot = about->grab().toImage();
        const QImage picture(QStringLiteral(":/art/about.jpg"));
        QCOMPARE(picture.size(), QSize(444, 219));
        // The picture whole, as far as the client area shows it, at the client area's corner.
        const QRect client = about->clientRect();
        const QRect seen = QRect(QPoint(0, 0), client.size()).intersected(picture.rect());
        QCOMPARE(shot.copy(seen.translated(client.topLeft())).convertToFormat(QImage::Format_RGB32),
            picture.copy(seen).convertToFormat(QImage::Format_RGB32));
        // Round it, on every side, the border in the button face.
        const QColor face = qApp->palette().color(QPalette::Button);
        const int in = Form3::BorderWidth - 1, w = shot.width(), h = shot.height();
        for (QPoint p : {QPoint(in, h / 2), QPoint(w - 1 - in, h / 2), QPoint(w / 2, in), QPoint(w / 2, h - 1 - in)})
            QCOMPARE(shot.pixelColor(p), face);
    }

    void aboutWindowsBorderResizesAndTakesNoClick()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        f.show();
        f.Form_DblClick();
        Form3 *about = f.form3();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        // A click that begins on the border is no click on the window.
        QTest::mousePress(about, Qt::LeftButton, {}, QPoint(1, about->height() / 2));
        QTest::mouseRelease(about, Qt::LeftButton, {}, about->clientRect().center());
        QVERIFY(about->isVisible());
        QVERIFY(!f.isEnabled());
        // Dragging the bottom-right corner resizes it; the client area keeps its place.
        const QRect before = about->clientGeometry();
        const int r = about->width() - 2, b = about->height() - 2;
        // The pointer over the border shows which way it sizes, the corners reaching along the sides.
        const std::pair<QPoint, Qt::CursorShape> cursors[] = {{{1, 1}, Qt::SizeFDiagCursor},
            {{r - 10, b}, Qt::SizeFDiagCursor}, {{r, 1}, Qt::SizeBDiagCursor}, {{1, b}, Qt::SizeBDiagCursor},
            {{1, b / 2}, Qt::SizeHorCursor}, {{r / 2, b}, Qt::SizeVerCursor}, {{r / 2, b / 2}, Qt::ArrowCursor}};
        for (const auto &[at, shape] : cursors) {
            QMouseEvent move(QEvent::MouseMove, at, about->mapToGlobal(at), Qt::NoButton, {}, {});
            QCoreApplication::sendEvent(about, &move);
            QCOMPARE(about->cursor().shape(), shape);
        }
        QTest::mousePress(about, Qt::LeftButton, {}, QPoint(r, b));
        QTest::mouseMove(about, QPoint(r + 60, b + 30));
        QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(r + 60, b + 30));
        QCOMPARE(about->clientGeometry(), before.adjusted(0, 0, 60, 30));
        QVERIFY(about->isVisible());
        QCOMPARE(about->edgesAt(about->clientRect().topLeft()), Qt::Edges());
        // Dragged far past its least size, the top-left corner stops there.
        const QPoint bottomRight = about->geometry().bottomRight();
        QTest::mousePress(about, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseMove(about, QPoint(1000, 1000));
        QTest::mouseRelease(about, Qt::LeftButton, {}, QPoint(1000, 1000));
        QCOMPARE(about->size(), about->minimumSize());
        QCOMPARE(about->geometry().bottomRight(), bottomRight);
    }

    void greetingOnlyOnTheTwoDates_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("greeting");
        QTest::newRow("2004-12-25 morning") << QDateTime(QDate(2004, 12, 25), QTime(0, 0, 1)) << "yyyy-M-d" << true;
        QTest::newRow("2005-12-25 evening") << QDateTime(QDate(2005, 12, 25), QTime(23, 59, 59)) << "yyyy-M-d" << true;
        QTest::newRow("24 December") << QDateTime(QDate(2004, 12, 24), QTime(12, 0)) << "yyyy-M-d" << false;
        QTest::newRow("26 December") << QDateTime(QDate(2005, 12, 26), QTime(12, 0)) << "yyyy-M-d" << false;
        QTest::newRow("another year") << QDateTime(QDate(2026, 12, 25), QTime(12, 0)) << "yyyy-M-d" << false;
        QTest::newRow("month/day/year") << QDateTime(QDate(2004, 12, 25), QTime(12, 0)) << "M/d/yyyy" << false;
    }

    void greetingOnlyOnTheTwoDates()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, format);
        QFETCH(bool, greeting);
        TestPlatform tp;
        tp.clock.set(now);
        tp.clock.setDateFormat(format);
        Form1 f(tp.platform());
        QCOMPARE(f.form4() != nullptr, greeting);
        if (greeting) {
            QVERIFY(f.form4()->isVisible());
            QVERIFY(!f.isVisible());
            QVERIFY(f.isEnabled());
            QCOMPARE(f.form4()->windowTitle(), QStringLiteral("Form4"));
            QCOMPARE(f.form4()->geometry(), QRect(282, 233, 442, 219));
            QCOMPARE(f.form4()->Timer1->interval(), 3000);
        }
    }

    void greetingHandsBack_data()
    {
        QTest::addColumn<bool>("closedEarly");
        QTest::newRow("after its timer") << false;
        QTest::newRow("closed early") << true;
    }
    void greetingHandsBack()
    {
        QFETCH(bool, closedEarly);
        TestPlatform tp;
        tp.clock.set(QDateTime(QDate(2004, 12, 25), QTime(8, 0)));
        Form1 f(tp.platform());
        Form4 *greeting = f.form4();
        QVERIFY(closedEarly ? greeting->close() : tick(greeting->Timer1));
        QVERIFY(!greeting->isVisible());
        QVERIFY(f.isVisible());
        QVERIFY(f.isEnabled());
        if (closedEarly) return;
        // Hiding does not stop its timer, which keeps bringing the main window back.
        f.Command8->click();
        QVERIFY(!f.isVisible());
        tick(greeting->Timer1);
        QVERIFY(f.isVisible());
        QVERIFY(f.form2().isVisible()); // the clock bar stays as well
        // A main window disabled behind the about window is enabled again.
        f.Form_DblClick();
        QVERIFY(!f.isEnabled());
        tick(greeting->Timer1);
        QVERIFY(f.isEnabled());
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
