#include "platform/termination.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_fds[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_fds[0], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) return;
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    // The first signal ends the program, so a later one needs no guard.
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_fds[1], &byte, 1);
        emit received();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}
