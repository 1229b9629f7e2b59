#include "platform/clock.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/tray.h"
#include "platform/wallclocktimer.h"
#include "shell/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorvalent"));
    // The program ends only through its own exit paths, never because the
    // last visible window (a message box, say) has closed.
    app.setQuitOnLastWindowClosed(false);

    QtMessageBoxes boxes;
    SystemClock clock;
    WallClockTimers timers;
    Files files;
    SystemTray tray;
    const Platform platform{boxes, clock, timers, files, tray, QCoreApplication::applicationDirPath()};

    Form1 form(platform);
    // On a holiday the greeting stands in for the main window at first.
    if (!form.form4()) form.show();
    return app.exec();
}
