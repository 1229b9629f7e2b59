// At 200 % scaling the windows keep their logical geometry and draw the
// double-size pictures, pixel for pixel.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QtTest>

class ScalingTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { qputenv("QT_SCALE_FACTOR", "2"); }

private slots:
    void picturesAreTheDoubleSizeDrawings_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QDate>("today");
        QTest::newRow("banner") << "banner" << QDate(2026, 3, 14);
        QTest::newRow("about") << "about" << QDate(2026, 3, 14);
        QTest::newRow("greeting") << "greeting" << QDate(2004, 12, 25);
    }

    void picturesAreTheDoubleSizeDrawings()
    {
        QFETCH(QString, picture);
        QFETCH(QDate, today);
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        TestPlatform tp;
        tp.clock.set(QDateTime(today, QTime(9, 0)));
        Form1 f(tp.platform());
        f.Form_DblClick();
        QWidget *shown = picture == QLatin1String("banner") ? static_cast<QWidget *>(f.Picture1)
            : picture == QLatin1String("about")             ? static_cast<QWidget *>(f.form3())
                                                            : static_cast<QWidget *>(f.form4());
        // The same logical geometry as at 1x.
        QCOMPARE(f.width(), 543);
        QCOMPARE(f.form3()->clientGeometry(), QRect(317, 232, 444, 214));
        const QImage drawing(QStringLiteral(":/art/%1@2x.jpg").arg(picture));
        QCOMPARE(drawing.devicePixelRatio(), 2.0);
        // The about window's picture lies inside its border.
        const QImage shot = (shown == f.form3() ? shown->grab(f.form3()->clientRect()) : shown->grab()).toImage();
        QCOMPARE(shot.devicePixelRatio(), 2.0);
        const QRect seen = QRect(QPoint(0, 0), shot.size()).intersected(drawing.rect());
        QCOMPARE(shot.copy(seen).convertToFormat(QImage::Format_RGB32),
            drawing.copy(seen).convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(ScalingTest)

#include "tst_scaling.moc"
