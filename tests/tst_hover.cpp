// The hover frame that follows the pointer over the buttons and check boxes.
#include "shell/form1.h"
#include "support/fakes.h"

#include <QtTest>

class HoverTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_tp = new TestPlatform;
        m_form = new Form1(m_tp->platform());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete m_form;
        delete m_tp;
    }

    void framesEachFamilyControlAndTheSurfaceNone()
    {
        Form1 &f = *m_form;
        m_tp->clock.set(QDateTime(QDate(2004, 12, 25), QTime(8, 0, 0)));
        QCOMPARE(f.Label3->toolTip(), QStringLiteral("现在的时间"));
        for (QWidget *w : Controls{f.Check1, f.Check2, f.Command1, f.Command2, f.Command3, f.Command4, f.Command5,
                 f.Command6, f.Command7, f.Command8}) {
            moveOver(&f, QPoint(5, 120)); // bare surface between them
            QVERIFY(f.Shape3->isHidden());
            w->setEnabled(true);
            moveOver(w);
            QVERIFY2(!f.Shape3->isHidden(), qPrintable(w->objectName()));
            QCOMPARE(frame(), w->geometry());
        }
        f.Command9->setEnabled(true);
        moveOver(f.Command9);
        QCOMPARE(frame(), f.Command9->geometry());
        // The bare surface also shows the date on the clock's tip.
        QCOMPARE(f.Label3->toolTip(), QStringLiteral("2004-12-25"));
    }

    void otherControlsLeaveTheFrameAlone()
    {
        Form1 &f = *m_form;
        moveOver(f.Command6);
        const QRect around = frame();
        for (QWidget *w : Controls{f.Text1, f.Text4, f.Label4, f.Label3, f.Label9, f.Picture1}) {
            moveOver(w);
            QVERIFY2(!f.Shape3->isHidden(), qPrintable(w->objectName()));
            QCOMPARE(frame(), around);
        }
        f.Check2->setChecked(false);
        for (QWidget *w : Controls{f.List1, f.List2, f.Command10, f.Command11, f.Command18}) {
            w->setEnabled(true);
            moveOver(w);
            QVERIFY2(!f.Shape3->isHidden(), qPrintable(w->objectName()));
        }
    }

    void followsControlsMovedByALayout()
    {
        Form1 &f = *m_form;
        moveOver(f.Command7);
        QCOMPARE(twipsTop(f.Shape3), 5400.f);
        f.Check2->setChecked(false);
        moveOver(f.Command7);
        QCOMPARE(twipsTop(f.Shape3), 7560.f);
        QCOMPARE(twipsLeft(f.Shape3), 6360.f);
        QCOMPARE(twipsWidth(f.Shape3), 1335.f);
        QCOMPARE(twipsHeight(f.Shape3), 375.f);
        // The outer half of Shape1's border, left of the lists, is surface.
        const QRect shape = f.Shape1->bounds();
        moveOver(&f, QPoint(shape.left() - 2, shape.center().y()));
        QVERIFY(f.Shape3->isHidden());
    }

    void frameStaysOutsideTheControl()
    {
        // The frame is painted beneath the windowed controls and the clock, so
        // the framed control's own pixels (its text) are never covered; it shows
        // all round, over the strip beside the clock as well.
        Form1 &f = *m_form;
        f.B_move(twipsLeft(f.Label3), twipsTop(f.Label3), twipsHeight(f.Label3), twipsWidth(f.Label3));
        const QImage shot = f.grab().toImage();
        const QRect clock = f.Label3->geometry();
        QCOMPARE(shot.pixelColor(clock.right() + 2, clock.center().y()), QColor(255, 255, 128));
        QCOMPARE(shot.pixelColor(clock.left() - 2, clock.center().y()), QColor(255, 255, 128)); // over the purple strip
        QCOMPARE(shot.pixelColor(clock.center().x(), clock.top() - 2), QColor(255, 255, 128));
        QCOMPARE(shot.pixelColor(clock.center().x(), clock.bottom() + 3), QColor(255, 255, 128));
        QCOMPARE(shot.pixelColor(clock.left() + 1, clock.top() + 1), QColor(128, 0, 128));
        QCOMPARE(shot.pixelColor(clock.right() - 1, clock.bottom() - 1), QColor(128, 0, 128));
    }

    void leavingTheHoursFieldHidesTheFrame()
    {
        Form1 &f = *m_form;
        f.activateWindow();
        f.Text1->setFocus();
        QCOMPARE(f.Text1->palette().color(QPalette::Base), qApp->palette().color(QPalette::Base));
        moveOver(f.Command5);
        f.Text2->setFocus();
        QVERIFY(f.Shape3->isHidden());
        QCOMPARE(f.Text1->palette().color(QPalette::Base), QColor(255, 224, 192));
        QCOMPARE(f.Text2->palette().color(QPalette::Base), qApp->palette().color(QPalette::Base));
        // Leaving the other fields keeps the frame; each field is light while it has the focus.
        moveOver(f.Command6);
        TextBox *previous = f.Text2;
        for (TextBox *next : {f.Text3, f.Text4, f.Text2}) {
            next->setFocus();
            QVERIFY(!f.Shape3->isHidden());
            QCOMPARE(next->palette().color(QPalette::Base), qApp->palette().color(QPalette::Base));
            QCOMPARE(previous->palette().color(QPalette::Base), QColor(255, 224, 192));
            previous = next;
        }
        // Another window taking the activation moves no focus inside this one.
        f.Text1->setFocus();
        moveOver(f.Command6);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QVERIFY(!f.Shape3->isHidden());
        QCOMPARE(f.Text1->palette().color(QPalette::Base), qApp->palette().color(QPalette::Base));
        f.activateWindow();
        QTRY_VERIFY(f.isActiveWindow());
        QCOMPARE(f.Text1->palette().color(QPalette::Base), qApp->palette().color(QPalette::Base));
        f.Text2->setFocus();
        QVERIFY(f.Shape3->isHidden());
    }

private:
    // Moves the pointer through the window, as the windowing system would, so that
    // Qt picks the control under it.
    void moveOver(QWidget *control, QPoint at = {})
    {
        const QPoint inWindow
            = control == m_form ? at : control->mapTo(m_form, at.isNull() ? control->rect().center() : at);
        QTest::mouseMove(m_form->windowHandle(), inWindow);
        QCoreApplication::processEvents();
    }
    QRect frame() const { return m_form->Shape3->bounds(); }

    TestPlatform *m_tp = nullptr;
    Form1 *m_form = nullptr;
};

QTEST_MAIN(HoverTest)
#include "tst_hover.moc"
