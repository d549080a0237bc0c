// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_requested{0};

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
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            sigaction(s, &action, nullptr);
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
#else
    return false;
#endif
}

int TerminationSignals::requestedSignal()
{
#ifdef Q_OS_UNIX
    return g_requested.load();
#else
    return 0;
#endif
}

void TerminationSignals::readPipe()
{
#ifdef Q_OS_UNIX
    unsigned char byte = 0;
    if (::read(g_pipe[1], &byte, 1) == 1)
        emit terminationRequested(byte);
#endif
}
