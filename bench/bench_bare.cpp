// The baseline for bench_startup and bench/run's idle figures: a bare Qt
// Widgets window with the main window's 38 controls of the same kinds, at the
// same places, with the same captions, showing the same 33 of them as the
// compact layout does. Nothing of the program is used.
//
//   bench_bare          prints start-up to first paint and peak memory, then exits
//   bench_bare --idle   stays up with what a naive port would run: a free-running
//                       1 s QTimer that writes the time into a label, and a
//                       500 ms one with nothing to do; prints "ready"

#include "bench/firstpaint.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>

namespace {

using namespace bench;

enum Kind { Label, Button, Edit, List, Check, Picture };

struct Control
{
    Kind kind;
    const char *caption;
    int left, top, width, height; // twips, 15 to a pixel
    bool visible = true;
};

// The main window's controls in its compact layout.
const Control controls[] = {
    {Label, "Quorvalent 2.0 桌面提醒", 240, 0, 2775, 375},
    {Label, "", 0, 840, 8175, 255},
    {Label, "现在的时间", 1320, 1680, 1095, 255},
    {Label, "", 3480, 1560, 135, 375},
    {Label, "00:00:00", 3600, 1560, 1455, 375},
    {Label, "", 0, 2520, 8175, 135},
    {Label, "请输入提醒时间", 480, 2880, 1695, 255},
    {Label, "时", 3840, 2880, 255, 255},
    {Label, "分", 5160, 2880, 255, 255},
    {Label, "秒", 6480, 2880, 255, 255},
    {Label, "请输入要提醒您的事情", 480, 3480, 2175, 255},
    {Label, "", 2760, 3840, 4815, 375},
    {Label, "当前任务列表", 360, 5280, 1215, 255, false},
    {Label, "", 0, 4920, 8175, 135},
    {Label, "没有任何提醒任务", 480, 6000, 2415, 255},
    {Label, "单任务模式", 3000, 6000, 2295, 255},
    {Picture, "", 1560, 0, 960, 960},
    {Picture, "", 0, 0, 8175, 975},
    {Button, "停止计时", 6600, 1320, 975, 375},
    {Button, "恢复计时", 6600, 1800, 975, 375},
    {Edit, "", 2760, 2880, 855, 270},
    {Edit, "", 4200, 2880, 855, 270},
    {Edit, "", 5520, 2880, 855, 270},
    {Button, "清空", 6840, 2760, 735, 375},
    {Edit, "", 2760, 3480, 3615, 285},
    {Button, "清空", 6840, 3360, 735, 375},
    {Button, "添加任务", 6600, 4320, 975, 375},
    {Check, "多任务", 4800, 4440, 975, 255},
    {Button, "删除", 1680, 4920, 855, 375, false},
    {Button, "清空", 2520, 4920, 735, 375, false},
    {List, "", 1680, 5280, 2415, 1470, false},
    {List, "", 4080, 5280, 2775, 1470, false},
    {Button, "开始执行", 5640, 6840, 1215, 375},
    {Button, "确定", 480, 5400, 1335, 375},
    {Button, "取消", 2160, 5400, 1335, 375},
    {Button, "隐藏主窗口", 3840, 5400, 1335, 375},
    {Button, "退出", 6360, 5400, 1335, 375},
    {Check, "隐藏多任务工具", 5880, 6000, 1815, 255},
};
static_assert(std::size(controls) == 38);

// A picture drawn in memory: the bare window reads no files.
QPixmap picture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(0, 128, 128));
    QPainter painter(&pixmap);
    painter.fillRect(width / 4, height / 4, width / 2, height / 2, QColor(255, 255, 192));
    return pixmap;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool idle = argc > 1 && !std::strcmp(argv[1], "--idle");
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quorvalent2.0"));
    window.resize(543, 454);
    QLabel *clock = nullptr;
    for (const Control &c : controls) {
        QWidget *w = nullptr;
        const QString caption = QString::fromUtf8(c.caption);
        switch (c.kind) {
        case Label:
            w = new QLabel(caption, &window);
            if (caption == QLatin1String("00:00:00")) clock = static_cast<QLabel *>(w);
            break;
        case Button:
            w = new QPushButton(caption, &window);
            break;
        case Edit:
            w = new QLineEdit(&window);
            break;
        case List:
            w = new QListWidget(&window);
            break;
        case Check:
            w = new QCheckBox(caption, &window);
            break;
        case Picture: {
            auto *l = new QLabel(&window);
            l->setPixmap(picture(c.width / 15, c.height / 15));
            w = l;
            break;
        }
        }
        w->setGeometry(c.left / 15, c.top / 15, c.width / 15, c.height / 15);
        w->setVisible(c.visible);
    }

    QTimer second, halfSecond;
    if (idle) {
        QObject::connect(&second, &QTimer::timeout, clock,
            [clock] { clock->setText(QTime::currentTime().toString(QStringLiteral("H:mm:ss"))); });
        second.start(1000);
        halfSecond.start(500);
        std::printf("ready\n");
        std::fflush(stdout);
    } else {
        window.installEventFilter(new FirstPaint(&window));
    }
    window.show();
    return app.exec();
}
