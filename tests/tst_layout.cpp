// The main window's controls and its two layouts.
#include "shell/form1.h"
#include "support/fakes.h"
#include "windows/form2.h"

#include <QRawFont>
#include <QScopeGuard>
#include <QtTest>

#include <functional>

class LayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void layouts_data()
    {
        QTest::addColumn<int>("changes"); // of Check2: cleared, checked, cleared...
        QTest::newRow("at start") << 0;
        QTest::newRow("Check2 cleared") << 1;
        QTest::newRow("Check2 checked again") << 2;
    }

    void layouts()
    {
        QFETCH(int, changes);
        TestPlatform tp;
        Form1 f(tp.platform());
        QCOMPARE(f.windowTitle(), QStringLiteral("Quorvalent2.0"));
        QCOMPARE(f.width() * 15, 8145);
        f.resize(650, f.height()); // the user's width, which the layouts keep
        for (int i = 0; i < changes; ++i)
            f.Check2->setChecked(i % 2 == 1);
        const bool compact = changes % 2 == 0;
        QCOMPARE(f.Check2->isChecked(), compact);
        QCOMPARE(f.width(), 650);
        QCOMPARE(f.outerHeight(), compact ? 6810.f : 8970.f);
        QCOMPARE(twipsTop(f.Label15), compact ? 4920.f : 7200.f);
        for (QWidget *w : Controls{f.Command5, f.Command6, f.Command7, f.Command8})
            QCOMPARE(twipsTop(w), compact ? 5400.f : 7560.f);
        QCOMPARE(twipsTop(f.Label9), compact ? 6000.f : 8040.f);
        QCOMPARE(twipsTop(f.Check2), compact ? 6000.f : 8040.f);
        for (QWidget *w : Controls{f.Command10, f.Command11, f.List1, f.List2, f.Label12, f.Shape1, f.Shape2})
            QVERIFY2(w->isHidden() == compact, qPrintable(w->objectName()));
        // Neither layout moves these: they lie beyond the lower edge of the compact window.
        QCOMPARE(twipsTop(f.Label16), 8040.f);
        QCOMPARE(twipsTop(f.Command18), 6840.f);
        QCOMPARE(twipsTop(f.Label16) >= f.height() * 15.f, compact);
        QCOMPARE(twipsTop(f.Command18) >= f.height() * 15.f, compact);
        // Shown with the enabled state start-up gave them; still single-task mode.
        for (QWidget *w : Controls{f.Command9, f.Command10, f.Command11, f.Command18, f.List1})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!f.Check1->isChecked());
        QCOMPARE(f.Label16->text(), QStringLiteral("单任务模式"));
    }

    void settingTheSameValueRunsNothingAndCompactClearsCheck1()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        // The user drags the window taller; a layout would set the height again.
        f.resize(f.width(), 700);
        f.Check2->setValue(1);
        QCOMPARE(f.height(), 700);
        f.Check2->setValue(0);
        QCOMPARE(f.outerHeight(), 8970.f);
        f.resize(f.width(), 300);
        f.Check2->setValue(0);
        // Multi-task mode shows the tools only through a change of Check2.
        f.Check1->setChecked(true);
        QCOMPARE(f.height(), 300);
        // The compact layout clears Check1, and runs its handler only when it was set.
        f.Check1->setChecked(false);
        QSignalSpy toggled(f.Check1, &QCheckBox::toggled);
        // Already clear: nothing runs.
        f.ApplyCompactLayout();
        QCOMPARE(toggled.count(), 0);
        f.Check1->blockSignals(true);
        f.Check1->setChecked(true);
        f.Check1->blockSignals(false);
        f.ApplyCompactLayout();
        QVERIFY(!f.Check1->isChecked());
        QCOMPARE(toggled.count(), 1);
    }

    void inventory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips"); // design geometry; bottom rows as the full layout has them
        QTest::addColumn<QString>("tip");
        const struct
        {
            const char *name;
            const char *caption;
            QRect twips;
            const char *tip;
        } rows[] = {
            {"Picture1", "", {0, 0, 8175, 975}, ""},
            {"Label10", "", {0, 840, 8175, 255}, ""},
            {"Label2", "现在的时间", {1320, 1680, 1095, 255}, ""},
            {"Label11", "", {3480, 1560, 135, 375}, ""},
            {"Label3", "*", {3600, 1560, 1455, 375}, "现在的时间"},
            {"Command1", "停止计时", {6600, 1320, 975, 375}, "停止当前的计时"},
            {"Command2", "恢复计时", {6600, 1800, 975, 375}, "继续更新时间"},
            {"Label14", "", {0, 2520, 8175, 135}, ""},
            {"Label4", "请输入提醒时间", {480, 2880, 1695, 255}, ""},
            {"Text1", "", {2760, 2880, 855, 270}, "请输入数字"},
            {"Label5", "时", {3840, 2880, 255, 255}, ""},
            {"Text2", "", {4200, 2880, 855, 270}, "请输入数字"},
            {"Label6", "分", {5160, 2880, 255, 255}, ""},
            {"Text3", "", {5520, 2880, 855, 270}, "请输入数字"},
            {"Label13", "秒", {6480, 2880, 255, 255}, ""},
            {"Command3", "清空", {6840, 2760, 735, 375}, ""},
            {"Label7", "请输入要提醒您的事情", {480, 3480, 2175, 255}, ""},
            {"Text4", "", {2760, 3480, 3615, 285}, ""},
            {"Command4", "清空", {6840, 3360, 735, 375}, ""},
            {"Label8", "", {2760, 3840, 4815, 375}, ""},
            {"Command9", "添加任务", {6600, 4320, 975, 375}, "察看当前的任务"},
            {"Check1", "多任务", {4800, 4440, 975, 255}, ""},
            {"Shape1", "", {1680, 4920, 5175, 1815}, ""},
            {"Command10", "删除", {1680, 4920, 855, 375}, "删除所选任务"},
            {"Command11", "清空", {2520, 4920, 735, 375}, "选择上一个任务"},
            {"Label12", "当前任务列表", {360, 5280, 1215, 255}, ""},
            {"List1", "", {1680, 5280, 2415, 1470}, "任务列表"},
            {"List2", "", {4080, 5280, 2775, 1470}, "任务列表"},
            {"Shape2", "", {5640, 6840, 1215, 375}, ""},
            {"Command18", "开始执行", {5640, 6840, 1215, 375}, "开始执行所有的任务"},
            {"Label15", "", {0, 7200, 8175, 135}, ""},
            {"Command5", "确定", {480, 7560, 1335, 375}, "开始执行提醒任务"},
            {"Command6", "取消", {2160, 7560, 1335, 375}, "取消当前的提醒任务"},
            {"Command8", "隐藏主窗口", {3840, 7560, 1335, 375}, "隐藏窗口"},
            {"Command7", "退出", {6360, 7560, 1335, 375}, "退出程序"},
            {"Label9", "没有任何提醒任务", {480, 8040, 2415, 255}, "当前的状态"},
            {"Label16", "单任务模式", {3000, 8040, 2295, 255}, ""},
            {"Check2", "隐藏多任务工具", {5880, 8040, 1815, 255}, ""},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromUtf8(row.caption) << row.twips
                                    << QString::fromUtf8(row.tip);
    }

    void inventory()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QFETCH(QString, tip);
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Check2->setChecked(false);
        auto *w = f.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(QRect(twipsLeft(w), twipsTop(w), twipsWidth(w), twipsHeight(w)), twips);
        if (caption != QLatin1String("*")) {
            if (auto *l = qobject_cast<QLabel *>(w)) QCOMPARE(l->text(), caption);
            if (auto *b = qobject_cast<QAbstractButton *>(w)) QCOMPARE(b->text(), caption);
            if (auto *t = qobject_cast<QLineEdit *>(w)) QCOMPARE(t->text(), caption);
        }
        QCOMPARE(w->toolTip(), tip);
    }

    void tabOrderFollowsTheIndexes()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        const QStringList byIndex = {"Label1", "Label2", "Label3", "Command1", "Command2", "Label4", "Text1", "Label5",
            "Text2", "Label6", "Text3", "Text4", "Command3", "Label7", "Command4", "Label8", "Command5", "Command6",
            "Command7", "Label9", "Command8", "Label10", "Command9", "Label12", "Picture1", "Label14", "Label15",
            "List1", "Label11", "Check1", "Command11", "Check2", "Label13", "Command18", "Label16", "Command10",
            "List2", "Picture3"};
        QStringList focusable;
        for (int i = 0; i < byIndex.size(); ++i) {
            auto *w = f.findChild<QWidget *>(byIndex[i]);
            QVERIFY2(w, qPrintable(byIndex[i]));
            QCOMPARE(w->property("TabIndex").toInt(), i);
            if (qobject_cast<QLabel *>(w))
                QCOMPARE(w->focusPolicy(), Qt::NoFocus);
            else
                focusable.append(byIndex[i]);
        }
        // The focus chain visits the focusable controls in index order.
        QWidget *w = f.findChild<QWidget *>(focusable.first());
        for (int i = 1; i < focusable.size(); ++i) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty())
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), focusable[i]);
        }
    }

    void fontsAndColours()
    {
        TestPlatform tp;
        Form1 f(tp.platform());
        QCOMPARE(f.Label3->font().families().first(), QStringLiteral("SimSun"));
        // Whatever face stands in for SimSun here, it shows the captions.
        const QRawFont face = QRawFont::fromFont(f.Command5->font());
        for (QChar c : QStringLiteral("确定提醒任务"))
            QVERIFY2(face.supportsCharacter(c), qPrintable(face.familyName()));
        QCOMPARE(f.Label3->font().pointSizeF(), 15.0);
        QCOMPARE(f.Label2->font().pointSizeF(), 9.0);
        // Which controls are bold, and which labels let the form show through.
        QStringList bold, seeThrough;
        for (QWidget *w : f.findChildren<QWidget *>(QRegularExpression("^[A-Z][a-z]+[0-9]+$"))) {
            if (w->font().bold()) bold << w->objectName();
            if (qobject_cast<QLabel *>(w) && !w->autoFillBackground()) seeThrough << w->objectName();
        }
        bold.sort();
        seeThrough.sort();
        QCOMPARE(bold,
            (QStringList{"Check1", "Check2", "Command18", "Command5", "Label1", "Label12", "Label2", "Label3", "Label4",
                "Label7"}));
        QCOMPARE(seeThrough,
            (QStringList{"Label12", "Label13", "Label2", "Label4", "Label5", "Label6", "Label7", "Label8"}));
        QCOMPARE(f.palette().color(QPalette::Window), QColor(192, 192, 0));
        QCOMPARE(f.Label3->palette().color(QPalette::Window), QColor(128, 0, 128));
        QCOMPARE(f.Picture1->palette().color(QPalette::Window), QColor(0, 128, 128)); // beside a wider window's banner
        QCOMPARE(f.Label3->palette().color(QPalette::WindowText), QColor(128, 255, 255));
        QCOMPARE(f.Text1->palette().color(QPalette::Base), QColor(255, 224, 192));
        QCOMPARE(f.Text1->palette().color(QPalette::Text), QColor(128, 0, 128));
        QCOMPARE(f.Text1->maxLength(), 2);
        // Text4 takes a text of any length.
        f.Text4->setText(QString(40000, QChar(0x5b57)));
        QCOMPARE(f.Label8->text().size(), 40000);
        // Check boxes are flat: one plain line round a plain box.
        for (CheckBox *c : {f.Check1, f.Check2}) {
            const QImage shot = c->grab().toImage();
            const QRect box = c->indicatorRect();
            const QColor line = shot.pixelColor(box.topLeft());
            for (QPoint p : {box.topRight(), box.bottomLeft(), box.bottomRight(), QPoint(box.center().x(), box.top())})
                QCOMPARE(shot.pixelColor(p), line);
            for (int x = box.left() + 1; x < box.right(); ++x)
                QCOMPARE(shot.pixelColor(x, box.top() + 1), c->palette().color(QPalette::Base));
        }
        QCOMPARE(f.List1->palette().color(QPalette::Base), QColor(192, 255, 192));
        QCOMPARE(f.List2->palette().color(QPalette::Text), QColor(128, 0, 128));
        // Text boxes and 停止计时 are flat too, and the status labels carry a single line round them.
        for (QWidget *w : Controls{f.Text4, f.Command1, f.Label9}) {
            const QImage shot = w->grab().toImage();
            const QColor line = w != f.Label9 ? w->palette().color(QPalette::Shadow) : QColor(Qt::black);
            for (QPoint p : {QPoint(0, shot.height() / 2), QPoint(shot.width() / 2, 0)})
                QCOMPARE(shot.pixel(p), line.rgb());
        }
        QCOMPARE(f.Label9->palette().color(QPalette::Window), QColor(192, 255, 192));
        QCOMPARE(f.Shape3->borderColor(), QColor(255, 255, 128));
        QCOMPARE(f.Shape3->borderWidth(), 6);
        QVERIFY(f.Shape3->isHidden());
        // Only the graphical buttons show their stored background.
        QVERIFY(f.Command10->isGraphical() && f.Command11->isGraphical());
        QVERIFY(!f.Command5->isGraphical());
        QCOMPARE(f.Command10->palette().color(QPalette::Button), QColor(192, 255, 192));
        QVERIFY(f.Command5->palette().color(QPalette::Button) != QColor(192, 255, 192));
        QCOMPARE(f.Picture3->size(), QSize(64, 64));
    }

    void textReadsOnADarkDesktop_data()
    {
        using Pick = std::function<QWidget *(Form1 &)>;
        QTest::addColumn<Pick>("pick");
        // On the window's olive, on the pale green faces, and in a field being typed into; one
        // row for each way a colour of the desktop meets one of the windows'.
        QTest::newRow("transparent label") << Pick([](Form1 &f) { return f.Label4; });
        QTest::newRow("check box") << Pick([](Form1 &f) { return f.Check2; });
        QTest::newRow("status label") << Pick([](Form1 &f) { return f.Label9; });
        QTest::newRow("graphical button") << Pick([](Form1 &f) { return f.form2().Command1; }); // the way back
        QTest::newRow("focused field") << Pick([](Form1 &f) {
            f.Text4->setText(QStringLiteral("开会开会"));
            f.Text4_GotFocus();
            return f.Text4;
        });
    }

    void textReadsOnADarkDesktop()
    {
        QFETCH(std::function<QWidget *(Form1 &)>, pick);
        // A dark desktop's palette: light text on dark faces and fields.
        const QPalette light = qApp->palette();
        const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
        QPalette dark = light;
        for (auto [role, color] :
            {std::pair{QPalette::Window, 0x424245}, {QPalette::Base, 0x3d3d3d}, {QPalette::Button, 0x302f2e},
                {QPalette::WindowText, 0xffffff}, {QPalette::Text, 0xffffff}, {QPalette::ButtonText, 0xffffff}})
            dark.setColor(role, QColor::fromRgb(color));
        QApplication::setPalette(dark);
        TestPlatform tp;
        Form1 f(tp.platform());
        f.Check2->setChecked(false);
        QWidget *control = pick(f);
        // As the window shows it: a transparent label's own background is not what lies behind it.
        QWidget *window = control->window();
        const QImage shot = window->grab(QRect(control->mapTo(window, QPoint()), control->size())).toImage();
        // Inside the frame, beside a check box's box: the face and the caption's strokes.
        QRect inside = shot.rect().adjusted(4, 4, -4, -4);
        if (auto *box = qobject_cast<CheckBox *>(control)) inside.setLeft(box->indicatorRect().right() + 2);
        QList<int> greys;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                greys.append(qGray(shot.pixel(x, y)));
        std::nth_element(greys.begin(), greys.begin() + greys.size() / 2, greys.end());
        const int face = greys[greys.size() / 2]; // most of a control is its face
        const auto strokes
            = std::count_if(greys.begin(), greys.end(), [face](int g) { return std::abs(g - face) >= 100; });
        QVERIFY2(strokes >= 30, qPrintable(QStringLiteral("%1 pixels stand out from the face").arg(strokes)));
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
