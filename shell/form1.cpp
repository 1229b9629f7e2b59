#include "shell/form1.h"

#include "platform/artwork.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/timer.h"
#include "platform/twips.h"
#include "schedule/textindex.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form4.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

const char TabIndexProperty[] = "TabIndex";

template <typename T> T *place(T *control, int tabIndex, int left, int top, int width, int height)
{
    control->setProperty(TabIndexProperty, tabIndex);
    setTwipsGeometry(control, left, top, width, height);
    return control;
}

} // namespace

Form1::Form1(const Platform &platform, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvalent2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/art/form1.png")));
    QPalette p = palette();
    p.setColor(QPalette::Window, Colors::Olive);
    setPalette(p);
    setFont(songFont(10.5));
    setMouseTracking(true);
    resize(toPixels(8145), toPixels(8490));

    createControls();
    connectHandlers();
    setTabOrderFromIndexes();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    auto label = [this](const QString &caption, double pt, bool bold) {
        auto *l = new Label(this);
        l->setText(caption);
        l->setFont(songFont(pt, bold));
        return l;
    };
    auto button = [this](const QString &caption, double pt, bool bold, const QString &tip) {
        auto *b = new CommandButton(caption, this);
        b->setFont(songFont(pt, bold));
        b->setToolTip(tip);
        return b;
    };
    auto textBox = [this](int maxLength) {
        auto *t = new TextBox(this);
        t->setBackColor(Colors::Peach);
        t->setForeColor(Colors::Purple);
        t->setFont(songFont(9));
        t->setMaxLength(maxLength);
        return t;
    };
    auto listBox = [this]() {
        auto *l = new ListBox(this);
        setFlatBorder(l);
        setColors(l, {{QPalette::Base, Colors::PaleGreen}, {QPalette::Text, Colors::Purple}});
        l->setFont(songFont(9));
        l->setToolTip(QStringLiteral("任务列表"));
        return l;
    };
    auto checkBox = [this](const QString &caption) {
        auto *c = new CheckBox(caption, this);
        c->setColors(Colors::Olive, readableOn(Colors::Olive, qApp->palette().color(QPalette::WindowText)));
        c->setFont(songFont(9, true));
        return c;
    };
    const QColor highlightText = qApp->palette().color(QPalette::HighlightedText);
    const QColor windowText = qApp->palette().color(QPalette::WindowText);

    // Shapes first, then labels: both lie on the window's surface, beneath
    // every windowed control created after them.
    Shape1 = new Shape(this, Colors::Purple, 5);
    setTwipsGeometry(Shape1, 1680, 4920, 5175, 1815);
    Shape2 = new Shape(this, Colors::Purple, 5);
    setTwipsGeometry(Shape2, 5640, 6840, 1215, 375);
    Shape3 = new Shape(this, Colors::HoverYellow, 6);
    setTwipsGeometry(Shape3, 480, 7560, 1335, 375);
    Shape3->hide();

    Label1 = place(label(QStringLiteral("Quorvalent 2.0 桌面提醒"), 14.25, true), 0, 240, 0, 2775, 375);
    Label10 = place(label(QString(), 9, false), 21, 0, 840, 8175, 255);
    setBackColor(Label10, Colors::LightYellow);
    Label2 = place(label(QStringLiteral("现在的时间"), 9, true), 1, 1320, 1680, 1095, 255);
    Label2->setTransparent();
    Label2->setForeColor(highlightText);
    Label11 = place(label(QString(), 9, false), 28, 3480, 1560, 135, 375);
    setBackColor(Label11, Colors::Purple);
    Label3 = place(label(QString(), 15, true), 2, 3600, 1560, 1455, 375);
    setBackColor(Label3, Colors::Purple);
    Label3->setForeColor(Colors::PaleCyan);
    Label3->setToolTip(QStringLiteral("现在的时间"));

    Label14 = place(label(QString(), 9, false), 25, 0, 2520, 8175, 135);
    setBackColor(Label14, Colors::LightYellow);
    Label4 = place(label(QStringLiteral("请输入提醒时间"), 9, true), 5, 480, 2880, 1695, 255);
    Label4->setTransparent();
    Label5 = place(label(QStringLiteral("时"), 9, false), 7, 3840, 2880, 255, 255);
    Label5->setTransparent();
    Label6 = place(label(QStringLiteral("分"), 9, false), 9, 5160, 2880, 255, 255);
    Label6->setTransparent();
    Label13 = place(label(QStringLiteral("秒"), 9, false), 32, 6480, 2880, 255, 255);
    Label13->setTransparent();
    Label7 = place(label(QStringLiteral("请输入要提醒您的事情"), 9, true), 13, 480, 3480, 2175, 255);
    Label7->setTransparent();
    Label8 = place(label(QString(), 9, false), 15, 2760, 3840, 4815, 375);
    Label8->setTransparent();
    Label12 = place(label(QStringLiteral("当前任务列表"), 9, true), 23, 360, 5280, 1215, 255);
    Label12->setTransparent();
    Label15 = place(label(QString(), 9, false), 26, 0, 7200, 8175, 135);
    setBackColor(Label15, Colors::LightYellow);
    Label9 = place(label(QStringLiteral("没有任何提醒任务"), 9, false), 19, 480, 8040, 2415, 255);
    setBackColor(Label9, Colors::PaleGreen);
    Label9->setForeColor(readableOn(Colors::PaleGreen, windowText));
    setFlatBorder(Label9);
    Label9->setToolTip(QStringLiteral("当前的状态"));
    Label16 = place(label(QStringLiteral("单任务模式"), 9, false), 34, 3000, 8040, 2295, 255);
    setBackColor(Label16, Colors::PaleGreen);
    Label16->setForeColor(readableOn(Colors::PaleGreen, windowText));
    setFlatBorder(Label16);
    // The hover frame lies above the other labels, so that the purple strip
    // beside the clock does not hide its left side, and beneath the clock
    // itself, which stays readable inside it.
    Shape3->raise();
    Label3->raise();

    // Windowed controls. Picture3 comes before Picture1, which covers it.
    Picture3 = place(new PictureBox(this), 37, 1560, 0, 960, 960);
    for (int size : {64, 48, 32, 24, 16})
        Picture3Icon.addFile(QStringLiteral(":/art/tray-%1.png").arg(size), QSize(size, size));
    Picture3->setPicture(artwork(QStringLiteral("tray-64.png")), true);
    Picture1 = place(new PictureBox(this), 24, 0, 0, 8175, 975);
    setBackColor(Picture1, Colors::Teal);
    Picture1->setFont(songFont(9));
    Picture1->setPicture(artwork(QStringLiteral("banner.jpg")));

    Command1 = place(
        button(QStringLiteral("停止计时"), 9, false, QStringLiteral("停止当前的计时")), 3, 6600, 1320, 975, 375);
    Command1->setFlatLook(true);
    Command2
        = place(button(QStringLiteral("恢复计时"), 9, false, QStringLiteral("继续更新时间")), 4, 6600, 1800, 975, 375);

    Text1 = place(textBox(2), 6, 2760, 2880, 855, 270);
    Text1->setToolTip(QStringLiteral("请输入数字"));
    Text2 = place(textBox(2), 8, 4200, 2880, 855, 270);
    Text2->setToolTip(QStringLiteral("请输入数字"));
    Text3 = place(textBox(2), 10, 5520, 2880, 855, 270);
    Text3->setToolTip(QStringLiteral("请输入数字"));
    Command3 = place(button(QStringLiteral("清空"), 9, false, QString()), 12, 6840, 2760, 735, 375);
    Text4 = place(textBox(std::numeric_limits<int>::max()), 11, 2760, 3480, 3615, 285); // no limit of its own
    Command4 = place(button(QStringLiteral("清空"), 9, false, QString()), 14, 6840, 3360, 735, 375);

    Command9 = place(
        button(QStringLiteral("添加任务"), 9, false, QStringLiteral("察看当前的任务")), 22, 6600, 4320, 975, 375);
    Check1 = place(checkBox(QStringLiteral("多任务")), 29, 4800, 4440, 975, 255);
    Command10
        = place(button(QStringLiteral("删除"), 9, false, QStringLiteral("删除所选任务")), 35, 1680, 4920, 855, 375);
    Command10->setGraphical(true);
    Command11
        = place(button(QStringLiteral("清空"), 9, false, QStringLiteral("选择上一个任务")), 30, 2520, 4920, 735, 375);
    Command11->setGraphical(true);
    List1 = place(listBox(), 27, 1680, 5280, 2415, 1470);
    List2 = place(listBox(), 36, 4080, 5280, 2775, 1470);
    Command18 = place(
        button(QStringLiteral("开始执行"), 9, true, QStringLiteral("开始执行所有的任务")), 33, 5640, 6840, 1215, 375);

    Command5
        = place(button(QStringLiteral("确定"), 9, true, QStringLiteral("开始执行提醒任务")), 16, 480, 7560, 1335, 375);
    Command6 = place(
        button(QStringLiteral("取消"), 9, false, QStringLiteral("取消当前的提醒任务")), 17, 2160, 7560, 1335, 375);
    Command8
        = place(button(QStringLiteral("隐藏主窗口"), 9, false, QStringLiteral("隐藏窗口")), 20, 3840, 7560, 1335, 375);
    Command7 = place(button(QStringLiteral("退出"), 9, false, QStringLiteral("退出程序")), 18, 6360, 7560, 1335, 375);
    Check2 = place(checkBox(QStringLiteral("隐藏多任务工具")), 31, 5880, 8040, 1815, 255);

    // Controls are known by their names, as the handlers are.
#define NAMED(control) std::pair<QObject *, const char *>(control, #control)
    for (auto [control, name] : {NAMED(Picture1), NAMED(Picture3), NAMED(Label1), NAMED(Label10), NAMED(Label2),
             NAMED(Label11), NAMED(Label3), NAMED(Command1), NAMED(Command2), NAMED(Label14), NAMED(Label4),
             NAMED(Text1), NAMED(Label5), NAMED(Text2), NAMED(Label6), NAMED(Text3), NAMED(Label13), NAMED(Command3),
             NAMED(Label7), NAMED(Text4), NAMED(Command4), NAMED(Label8), NAMED(Command9), NAMED(Check1), NAMED(Shape1),
             NAMED(Command10), NAMED(Command11), NAMED(Label12), NAMED(List1), NAMED(List2), NAMED(Shape2),
             NAMED(Command18), NAMED(Label15), NAMED(Command5), NAMED(Command6), NAMED(Command8), NAMED(Command7),
             NAMED(Shape3), NAMED(Label9), NAMED(Label16), NAMED(Check2)})
        control->setObjectName(QLatin1String(name));
#undef NAMED

    Timer1 = m_platform.timers.create(this, QStringLiteral("Timer1"), 1000, true);
    Timer2 = m_platform.timers.create(this, QStringLiteral("Timer2"), 500, false);
    m_timeIndex = std::make_unique<TextIndex>(List1);
}

template <typename Sender, typename Signal> void Form1::on(Sender *sender, Signal signal, void (Form1::*handler)())
{
    connect(sender, signal, this, [this, handler] { handle([&] { (this->*handler)(); }); });
}

void Form1::connectHandlers()
{
    // The eleven controls that carry the hover frame report every pointer movement.
    m_onMouseMove = {{Check1, &Form1::Check1_MouseMove}, {Check2, &Form1::Check2_MouseMove},
        {Command1, &Form1::Command1_MouseMove}, {Command2, &Form1::Command2_MouseMove},
        {Command3, &Form1::Command3_MouseMove}, {Command4, &Form1::Command4_MouseMove},
        {Command5, &Form1::Command5_MouseMove}, {Command6, &Form1::Command6_MouseMove},
        {Command7, &Form1::Command7_MouseMove}, {Command8, &Form1::Command8_MouseMove},
        {Command9, &Form1::Command9_MouseMove}};
    m_onFocusIn = {{Text1, &Form1::Text1_GotFocus}, {Text2, &Form1::Text2_GotFocus}, {Text3, &Form1::Text3_GotFocus},
        {Text4, &Form1::Text4_GotFocus}};
    m_onFocusOut = {{Text1, &Form1::Text1_LostFocus}, {Text2, &Form1::Text2_LostFocus},
        {Text3, &Form1::Text3_LostFocus}, {Text4, &Form1::Text4_LostFocus}};
    for (QObject *control : m_onMouseMove.keys()) {
        static_cast<QWidget *>(control)->setMouseTracking(true);
        control->installEventFilter(this);
    }
    for (QObject *control : m_onFocusIn.keys())
        control->installEventFilter(this);
    Picture3->installEventFilter(this);

    // A check box runs its handler whenever its value changes, and only then.
    on(Check2, &QCheckBox::toggled, &Form1::Check2_Click);
    on(Text4, &QLineEdit::textChanged, &Form1::Text4_Change);
    on(Timer1, &Timer::tick, &Form1::Timer1_Timer);
    on(Timer2, &Timer::tick, &Form1::Timer2_Timer);
    on(Check1, &QCheckBox::toggled, &Form1::Check1_Click);
    on(Command9, &QPushButton::clicked, &Form1::Command9_Click);
    on(Command10, &QPushButton::clicked, &Form1::Command10_Click);
    on(Command11, &QPushButton::clicked, &Form1::Command11_Click);
    on(Command18, &QPushButton::clicked, &Form1::Command18_Click);
    on(List1, &QListWidget::itemSelectionChanged, &Form1::List1_Click);
    on(List2, &QListWidget::itemSelectionChanged, &Form1::List2_Click);
    on(Command1, &QPushButton::clicked, &Form1::Command1_Click);
    on(Command2, &QPushButton::clicked, &Form1::Command2_Click);
    on(Command7, &QPushButton::clicked, &Form1::Command7_Click);
    on(Command8, &QPushButton::clicked, &Form1::Command8_Click);
    on(Command3, &QPushButton::clicked, &Form1::Command3_Click);
    on(Command4, &QPushButton::clicked, &Form1::Command4_Click);
    on(Command5, &QPushButton::clicked, &Form1::Command5_Click);
    on(Command6, &QPushButton::clicked, &Form1::Command6_Click);
}

void Form1::setTabOrderFromIndexes()
{
    QList<QWidget *> controls;
    for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->property(TabIndexProperty).isValid()) controls.append(w);
    std::sort(controls.begin(), controls.end(), [](QWidget *a, QWidget *b) {
        return a->property(TabIndexProperty).toInt() < b->property(TabIndexProperty).toInt();
    });
    QWidget *previous = nullptr;
    for (QWidget *w : controls) {
        if (w->focusPolicy() == Qt::NoFocus) continue; // labels keep their place in the order but never take the focus
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

float Form1::outerHeight() const { return toTwips(frameGeometry().height()); }

void Form1::setOuterHeight(float twips)
{
    m_outerHeight = twips;
    m_frameExtra = frameGeometry().height() - height();
    resize(width(), toPixels(twips) - m_frameExtra);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window manager adds its frame only once the window is up: the
    // height set before then must still be the outer height.
    QTimer::singleShot(100, this, [this] {
        if (frameGeometry().height() - height() != m_frameExtra) setOuterHeight(m_outerHeight);
    });
}

Answer Form1::box(const QString &text, Buttons buttons, BoxKind kind)
{
    const Answer answer = m_platform.boxes.show(text, buttons, appTitle(), kind);
    if (m_ended) throw Ended();
    return answer;
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture3 && event->type() == TrayNotifyEvent::eventType()) {
        // The icon's message reads as a pointer movement of Picture3: its
        // identifier 1 is the button state, so every notification restores.
        const auto *notify = static_cast<TrayNotifyEvent *>(event);
        handle([&] { Picture3_MouseMove(int(notify->wParam), 0, float(notify->lParam & 0xffff), 0); });
        return true;
    }
    const QHash<QObject *, Handler> *handlers = nullptr;
    switch (event->type()) {
    case QEvent::MouseMove:
        // A disabled control takes no pointer events.
        if (static_cast<QWidget *>(watched)->isEnabled()) handlers = &m_onMouseMove;
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The window gaining or losing activation (a box opens, another
        // program comes to the front) or a popup menu is no change of focus
        // inside the window.
        switch (static_cast<QFocusEvent *>(event)->reason()) {
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            break;
        default:
            handlers = event->type() == QEvent::FocusIn ? &m_onFocusIn : &m_onFocusOut;
        }
        break;
    default:
        break;
    }
    if (handlers) {
        if (const Handler handler = handlers->value(watched)) handle([&] { (this->*handler)(); });
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    handle([this] { Form_MouseMove(); });
    QWidget::mouseMoveEvent(event);
}

void Form1::Form_Load()
{
    HiddenToTray = false;
    Label3->setText(m_platform.clock.timeText());
    ApplyCompactLayout();
    Check2->setValue(1);
    for (QWidget *w : Controls{Command10, Command11, Command9, Command18, List1})
        w->setEnabled(false);
    const bool multi = Check1->value() == 1;
    List1->setEnabled(multi);
    Command9->setEnabled(multi);
    InitTask();
    InitTime();
    pairLoadedLists();
    addTrayIcon();
    InitPro();
    if (isHolidayToday()) showGreeting();
}
