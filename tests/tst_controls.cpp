// The controls and boxes as Qt really draws and answers them, without fakes.
#include "platform/controls.h"
#include "platform/messageboxes.h"
#include "platform/windowsystem.h"
#include "shell/application.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextEdit>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextLayout>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

int pixelsOf(const QImage &shot, const QRect &area, const QColor &color)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += shot.pixel(x, y) == color.rgb(); // at the image's eight bits a channel
    return n;
}

int darkestGrey(const QImage &shot, const QRect &area)
{
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            darkest = std::min(darkest, qGray(shot.pixel(x, y)));
    return darkest;
}

// A desktop style that puts icons on dialog buttons, as some do.
class IconButtonsStyle : public QProxyStyle
{
public:
    int styleHint(
        StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *ret) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 1;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installQtTranslations();
        QApplication::setStyle(new IconButtonsStyle);
    }

    void flatControlsShowTheirState_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("on"); // checked, enabled or focused
        QTest::newRow("check box, checked") << "check" << true;
        QTest::newRow("check box, unchecked") << "check" << false;
        QTest::newRow("button, enabled") << "button" << true;
        QTest::newRow("button, disabled") << "button" << false;
        QTest::newRow("button, focused") << "focus" << true;
        QTest::newRow("button, not focused") << "focus" << false;
    }

    void flatControlsShowTheirState()
    {
        QFETCH(QString, control);
        QFETCH(bool, on);
        QWidget window;
        window.resize(200, 60);
        const QColor olive(192, 192, 0), ink(0, 0, 0);
        if (control == QLatin1String("check")) {
            auto *box = new CheckBox(QStringLiteral("多任务"), &window);
            box->setColors(olive, ink);
            box->setGeometry(0, 0, 120, 30);
            box->setChecked(on);
            const QImage shot = box->grab().toImage();
            const QRect indicator = box->indicatorRect();
            // The tick shows the state; the caption and the back colour are there either way.
            QCOMPARE(pixelsOf(shot, indicator.adjusted(3, 3, -3, -3), box->palette().color(QPalette::Text)) > 0, on);
            QVERIFY(darkestGrey(shot, QRect(indicator.right() + 4, 0, 60, 30)) < 64);
            QCOMPARE(shot.pixel(119, 0), olive.rgb());
            return;
        }
        auto *button = new CommandButton(QStringLiteral("停止计时"), &window);
        button->setFlatLook(true);
        button->setGeometry(0, 0, 80, 25);
        const QRect inside = button->rect().adjusted(4, 4, -5, -5);
        if (control == QLatin1String("button")) {
            // Disabled, its text is greyed, not drawn in the enabled ink.
            button->setEnabled(on);
            setColors(button, {{QPalette::Button, olive}});
            const QImage shot = button->grab().toImage();
            const int darkest = darkestGrey(shot, inside);
            QVERIFY2(on ? darkest < 64 : darkest > 64, qPrintable(QString::number(darkest)));
            // A plain face in its own colour inside a one-pixel border.
            QCOMPARE(shot.pixel(2, 12), olive.rgb());
            QCOMPARE(shot.pixel(0, 12), button->palette().color(QPalette::Shadow).rgb());
            return;
        }
        auto *other = new QPushButton(&window);
        other->move(0, 30);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        (on ? button : other)->setFocus();
        const QImage shot = button->grab().toImage();
        // The dotted focus rectangle runs three pixels in from the border.
        const QRect dots(3, 3, 1, button->height() - 7);
        QCOMPARE(pixelsOf(shot, dots, button->palette().color(QPalette::Shadow)) > 0, on);
    }

    void onlyOkIsOk_data()
    {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<BoxKind>("kind");
        QTest::addColumn<QString>("action");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("OK, Enter") << Buttons::Ok << BoxKind::Reply << "enter" << Answer::Ok;
        QTest::newRow("OK, Esc") << Buttons::Ok << BoxKind::Reply << "escape" << Answer::Ok;
        QTest::newRow("OK/Cancel, Enter") << Buttons::OkCancel << BoxKind::Reply << "enter" << Answer::Ok;
        QTest::newRow("OK/Cancel, Cancel") << Buttons::OkCancel << BoxKind::Reply << "cancel" << Answer::Cancel;
        QTest::newRow("OK/Cancel, Esc") << Buttons::OkCancel << BoxKind::Reply << "escape" << Answer::Cancel;
        QTest::newRow("OK/Cancel, the close box") << Buttons::OkCancel << BoxKind::Reply << "close" << Answer::Cancel;
        // Once the user has given it the keyboard: Space presses 确定, not what else has the focus.
        QTest::newRow("alert, Space") << Buttons::OkCancel << BoxKind::Alert << "space" << Answer::Ok;
    }

    void onlyOkIsOk()
    {
        QFETCH(Buttons, buttons);
        QFETCH(BoxKind, kind);
        QFETCH(QString, action);
        QFETCH(Answer, answer);
        QString seen;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box) return QApplication::exit(1); // nothing open: fail rather than hang
            QStringList labels; // in any order: desktops order dialog buttons differently
            QPushButton *cancel = nullptr;
            for (QPushButton *b : box->findChildren<QPushButton *>()) {
                labels << b->text() + (b->icon().isNull() ? "" : "+icon") + (b->isDefault() ? "+default" : "");
                if (b->text() == u"取消"_qs) cancel = b;
            }
            labels.sort();
            seen = labels.join('|') + '|' + box->windowTitle() + '|' + box->findChild<QTextEdit *>()->toPlainText();
            if (action == QLatin1String("enter"))
                QTest::keyClick(box, Qt::Key_Return);
            else if (action == QLatin1String("space")) {
                if (QTest::qWaitForWindowActive(box)) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
                box->close(); // a key that went elsewhere: Cancel rather than hang
            }
            else if (action == QLatin1String("escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            else if (action == QLatin1String("close"))
                box->close();
            else
                cancel->click();
        });
        QtMessageBoxes boxes;
        QCOMPARE(int(boxes.show(QStringLiteral("提醒任务已经开始"), buttons, appTitle(), kind)), int(answer));
        // Qt's Chinese texts, without the icons a style may add, and OK the default.
        QCOMPARE(seen,
            (buttons == Buttons::OkCancel ? u"取消|确定+default|"_qs : u"确定+default|"_qs)
                + u"Quorvalent|提醒任务已经开始"_qs);
    }

    void boxFitsItsScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines"); // 1 for one line, -1 for several, 0 for a text that scrolls
        QTest::newRow("short") << u"确定退出吗?"_qs << 1;
        QTest::newRow("a paragraph") << QString(u"我要提醒您:"_qs).repeated(12) << -1;
        QTest::newRow("5,000 characters") << QString(u"长"_qs).repeated(5000) << 0;
        QTest::newRow("one unbroken word") << QString(u"w"_qs).repeated(5000) << 0;
        QTest::newRow("many lines") << QString(u"开会\n"_qs).repeated(300) << 0;
    }

    void boxFitsItsScreen()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box) return QApplication::exit(1);
            const auto close = qScopeGuard([box] { box->close(); });
            const QRect area = box->screen()->availableGeometry();
            QVERIFY(area.contains(box->frameGeometry()));
            for (QPushButton *b : box->findChildren<QPushButton *>())
                QVERIFY(area.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size())));
            // Wrapped to the width it has, and all of it reachable.
            auto *view = box->findChild<QTextEdit *>();
            QTextDocument *doc = view->document();
            QVERIFY(doc->idealWidth() <= view->viewport()->width());
            QScrollBar *bar = view->verticalScrollBar();
            const int height = view->viewport()->height();
            QVERIFY(bar->maximum() + height >= doc->size().height());
            QCOMPARE(bar->maximum() == 0, lines != 0);
            // Sized to the text where it fits, else to most of the screen's height.
            QCOMPARE(box->size(), box->sizeHint());
            if (lines) QCOMPARE(height, qCeil(doc->size().height()));
            if (!lines) QVERIFY(box->height() > area.height() / 2);
            const int shown = doc->firstBlock().layout()->lineCount();
            if (lines > 0) QCOMPARE(shown, lines);
            if (lines < 0) QVERIFY(shown > 1);
        });
        QtMessageBoxes().show(text, Buttons::OkCancel, appTitle(), BoxKind::Alert);
    }

    void backendOnWayland_data()
    {
        // The variables as the session sets them ("-": not set), and Qt's backend after.
        QTest::addColumn<QStringList>("qpaWaylandSessionDisplay");
        QTest::addColumn<QString>("backend");
        QTest::newRow("X11 session") << QStringList{"-", "", "x11", ":0"} << "-";
        QTest::newRow("Wayland, by its display") << QStringList{"-", "wayland-0", "", ":0"} << "xcb;wayland";
        QTest::newRow("Wayland, by the session type") << QStringList{"-", "", "wayland", ":0"} << "xcb;wayland";
        QTest::newRow("Wayland without X") << QStringList{"-", "wayland-0", "wayland", ""} << "wayland";
        QTest::newRow("chosen by the user") << QStringList{"offscreen", "wayland-0", "wayland", ":0"} << "offscreen";
    }

    void backendOnWayland()
    {
        QFETCH(QStringList, qpaWaylandSessionDisplay);
        QFETCH(QString, backend);
        const char *names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"};
        QByteArray saved[4];
        for (int i = 0; i < 4; ++i) {
            saved[i] = qgetenv(names[i]);
            const QString value = qpaWaylandSessionDisplay[i];
            value == QLatin1String("-") ? qunsetenv(names[i]) : qputenv(names[i], value.toUtf8());
        }
        preferX11OnWayland();
        const QString chosen
            = qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qEnvironmentVariable("QT_QPA_PLATFORM") : "-";
        for (int i = 0; i < 4; ++i)
            saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
        QCOMPARE(chosen, backend);
    }
};

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
