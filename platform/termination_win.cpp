#include "platform/termination.h"

#include <QMetaObject>

#include <atomic>

#include <windows.h>

// Windows has no SIGTERM: a console program hears of Ctrl+C, Ctrl+Break, the
// closing of its console, log-off and shutdown through a console control
// handler. It runs on a thread of its own, so the work is handed to the event
// loop; for the closing events the system ends the process as soon as the
// handler returns, so the handler waits (within the system's few seconds)
// until the event loop has done it.
namespace {

std::atomic<TerminationSignals *> g_receiver = nullptr;
HANDLE g_done = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    TerminationSignals *receiver = g_receiver.load();
    if (!receiver) return FALSE;
    ResetEvent(g_done);
    QMetaObject::invokeMethod(
        receiver,
        [receiver] {
            emit receiver->received();
            SetEvent(g_done);
        },
        Qt::QueuedConnection);
    const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    if (closing) WaitForSingleObject(g_done, 4500);
    return TRUE;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_receiver = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

TerminationSignals::~TerminationSignals()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_receiver = nullptr;
    CloseHandle(g_done);
    g_done = nullptr;
}
