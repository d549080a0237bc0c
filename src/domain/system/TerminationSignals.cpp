// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_requested{0};

extern "C" void onSuspendSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

bool catchSuspend()
{
    struct sigaction action
    {};
    action.sa_handler = onSuspendSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTSTP, &action, nullptr) == 0;
}

extern "C" void onTerminationSignal(int signalNumber)
{
    const int saved = errno;
    int none = 0;
    g_requested.compare_exchange_strong(none, signalNumber);
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}
} // namespace
#elif defined(Q_OS_WIN)
#include "domain/system/WindowsConsoleEvents.h"

namespace {
std::atomic<int> g_requested{0};
std::atomic<TerminationSignals *> g_installed{nullptr};

// On the event's thread: to the window's (or the run's) thread, queued.
void onConsoleEvent(int signalNumber)
{
    TerminationSignals *installed = g_installed.load();
    if (!installed)
        return;
    int none = 0;
    g_requested.compare_exchange_strong(none, signalNumber);
    QMetaObject::invokeMethod(
        installed, [installed, signalNumber] { emit installed->terminationRequested(signalNumber); },
        Qt::QueuedConnection);
}
} // namespace
#endif

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_UNIX
    if (m_notifier) {
        struct sigaction action
        {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGTSTP})
            sigaction(s, &action, nullptr);
    }
#elif defined(Q_OS_WIN)
    // Gone with the program's close: a handler held for a closed console,
    // a log-off or a shut-down may now let the system end the process.
    TerminationSignals *self = this;
    if (g_installed.compare_exchange_strong(self, nullptr)) {
        WindowsConsoleEvents::finished();
        WindowsConsoleEvents::uninstall();
    }
#endif
}

bool TerminationSignals::install()
{
#ifdef Q_OS_UNIX
    if (m_notifier)
        return true;
    if (g_pipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
            return false;
        for (int fd : g_pipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(g_pipe[0], F_SETFL, O_NONBLOCK);
    }
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);

    struct sigaction action
    {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        if (sigaction(s, &action, nullptr) != 0)
            return false;
    return true;
#elif defined(Q_OS_WIN)
    TerminationSignals *none = nullptr;
    if (!g_installed.compare_exchange_strong(none, this))
        return none == this;
    return WindowsConsoleEvents::install(onConsoleEvent);
#else
    return false;
#endif
}

bool TerminationSignals::installSuspend()
{
#ifdef Q_OS_UNIX
    return install() && catchSuspend();
#else
    return false;
#endif
}

void TerminationSignals::suspendProcess()
{
#ifdef Q_OS_UNIX // job control: POSIX only (installSuspend() returns false elsewhere)
    struct sigaction action
    {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, &action, nullptr);
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &tstp, nullptr);
    ::raise(SIGTSTP); // stopped here until continued
    catchSuspend();
#endif
}

int TerminationSignals::requestedSignal()
{
#if defined(Q_OS_UNIX) || defined(Q_OS_WIN)
    return g_requested.load();
#else
    return 0;
#endif
}

void TerminationSignals::readPipe()
{
#ifdef Q_OS_UNIX // the signal pipe; Windows' console handler posts to the window's thread instead
    unsigned char byte = 0;
    if (::read(g_pipe[1], &byte, 1) != 1)
        return;
    if (byte == SIGTSTP)
        emit suspendRequested();
    else
        emit terminationRequested(byte);
#endif
}
