#include "shell/application.h"

#include "platform/clock.h"
#include "platform/datafolder.h"
#include "platform/files.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/runningguard.h"
#include "platform/termination.h"
#include "platform/tray.h"
#include "platform/wallclocktimer.h"
#include "platform/windowsystem.h"
#include "shell/form1.h"

#include <QApplication>
#include <QSessionManager>
#include <QTranslator>

void installQtTranslations()
{
    // Qt's own texts in Chinese, whatever the system's language. The catalogue
    // is embedded uncompressed, so loading it maps it in place.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral(":/i18n/qtbase_zh_CN.qm"))) QCoreApplication::installTranslator(translator);
}

int runApplication(int argc, char *argv[], const QString &folder, const std::function<void(Form1 &)> &afterStart)
{
    // Without X shared memory a repaint of the clock need not wait on the X
    // server, which saves a wake-up or two every second; the images are small.
    qputenv("QT_XCB_NO_MITSHM", "1");
    preferX11OnWayland();
    QApplication app(argc, argv);
    installQtTranslations();
    app.setApplicationName(QStringLiteral("Quorvalent"));
    // The program ends only through its own exit paths, never because the
    // last visible window (a message box, say) has closed.
    app.setQuitOnLastWindowClosed(false);

    const QString filesFolder = folder.isEmpty() ? dataFolder() : folder;
    // Before the main window reads the files: a second program on them would
    // overwrite one's schedule with the other's at the end.
    RunningGuard guard(filesFolder);
    if (!guard.claim()) return 0;

    QtMessageBoxes boxes;
    SystemClock clock;
    WallClockTimers timers;
    Files files;
    SystemTray tray;
    const Platform platform{boxes, clock, timers, files, tray, filesFolder};

    Form1 form(platform);
    QObject::connect(&guard, &RunningGuard::knocked, &form, &Form1::bringForward);
    QObject::connect(&form, &Form1::ended, &app, [&guard] {
        guard.release();
        QCoreApplication::exit(0);
    });
    // Log-out and shutdown: the session manager asks before the end.
    QObject::connect(
        &app, &QGuiApplication::commitDataRequest, &form, [&form](QSessionManager &) { form.endSession(); },
        Qt::DirectConnection);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &form, &Form1::endSession);

    // On a holiday the greeting stands in for the main window at first.
    if (!form.form4()) form.show();
    if (afterStart) afterStart(form);
    return app.exec();
}
