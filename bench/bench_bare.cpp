// The baseline for bench_startup and bench/run's idle figures: a bare Qt
// Widgets window with the main window's 38 controls of the same kinds, at the
// same places, with the same captions, showing the same 33 of them as the
// compact layout does, each in the Song face, size and weight the program
// gives it. Of the program only songFont is used: the faces are part of what
// the windows look like, not of what the program adds to them, and picking
// them costs no measurable start-up (counted with callgrind).
//
//   bench_bare          prints start-up to first paint and peak memory, then exits
//   bench_bare --idle   stays up with what a naive port would run: a free-running
//                       1 s QTimer that writes the time into a label, and a
//                       500 ms one with nothing to do; prints "ready"

#include "bench/firstpaint.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

using namespace bench;

// The main window's controls in its compact layout, one a line: kind; left,
// top, width and height in twips (15 to a pixel); the point size of its Song
// face; b for bold, h for hidden, - for neither; the caption.
const char *const controls[] = {
    "label    240    0 2775  375 14.25 b  Quorvalent 2.0 桌面提醒",
    "label      0  840 8175  255  9    -",
    "label   1320 1680 1095  255  9    b  现在的时间",
    "label   3480 1560  135  375  9    -",
    "label   3600 1560 1455  375 15    b  00:00:00",
    "label      0 2520 8175  135  9    -",
    "label    480 2880 1695  255  9    b  请输入提醒时间",
    "label   3840 2880  255  255  9    -  时",
    "label   5160 2880  255  255  9    -  分",
    "label   6480 2880  255  255  9    -  秒",
    "label    480 3480 2175  255  9    b  请输入要提醒您的事情",
    "label   2760 3840 4815  375  9    -",
    "label    360 5280 1215  255  9    bh 当前任务列表",
    "label      0 4920 8175  135  9    -",
    "label    480 6000 2415  255  9    -  没有任何提醒任务",
    "label   3000 6000 2295  255  9    -  单任务模式",
    "picture 1560    0  960  960 10.5  -",
    "picture    0    0 8175  975  9    -",
    "button  6600 1320  975  375  9    -  停止计时",
    "button  6600 1800  975  375  9    -  恢复计时",
    "edit    2760 2880  855  270  9    -",
    "edit    4200 2880  855  270  9    -",
    "edit    5520 2880  855  270  9    -",
    "button  6840 2760  735  375  9    -  清空",
    "edit    2760 3480 3615  285  9    -",
    "button  6840 3360  735  375  9    -  清空",
    "button  6600 4320  975  375  9    -  添加任务",
    "check   4800 4440  975  255  9    b  多任务",
    "button  1680 4920  855  375  9    h  删除",
    "button  2520 4920  735  375  9    h  清空",
    "list    1680 5280 2415 1470  9    h",
    "list    4080 5280 2775 1470  9    h",
    "button  5640 6840 1215  375  9    b  开始执行",
    "button   480 5400 1335  375  9    b  确定",
    "button  2160 5400 1335  375  9    -  取消",
    "button  3840 5400 1335  375  9    -  隐藏主窗口",
    "button  6360 5400 1335  375  9    -  退出",
    "check   5880 6000 1815  255  9    b  隐藏多任务工具",
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
    window.setFont(songFont(10.5));
    QLabel *clock = nullptr;
    for (const char *row : controls) {
        const QStringList f = QString::fromUtf8(row).split(u' ', Qt::SkipEmptyParts);
        const QString kind = f[0], caption = f.mid(7).join(u' ');
        QWidget *w = nullptr;
        if (kind == u"label") {
            auto *l = new QLabel(caption, &window);
            if (caption == u"00:00:00") clock = l;
            w = l;
        } else if (kind == u"button") {
            w = new QPushButton(caption, &window);
        } else if (kind == u"edit") {
            w = new QLineEdit(&window);
        } else if (kind == u"list") {
            w = new QListWidget(&window);
        } else if (kind == u"check") {
            w = new QCheckBox(caption, &window);
        } else {
            auto *l = new QLabel(&window);
            l->setPixmap(picture(f[3].toInt() / 15, f[4].toInt() / 15));
            w = l;
        }
        w->setGeometry(f[1].toInt() / 15, f[2].toInt() / 15, f[3].toInt() / 15, f[4].toInt() / 15);
        w->setFont(songFont(f[5].toDouble(), f[6].contains(u'b')));
        w->setVisible(!f[6].contains(u'h'));
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
