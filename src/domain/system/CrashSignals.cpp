// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/CrashSignals.h"

#include "domain/system/GuardProtocol.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <iterator>
#include <mutex>

namespace {
// The crash path as the observer sees it, on every system.
std::mutex g_pathLock;
CrashPath g_path;
CrashObserver *g_observer = nullptr;

void changePath(const std::function<void(CrashPath &)> &change)
{
    const std::lock_guard lock(g_pathLock);
    CrashPath changed = g_path;
    change(changed);
    if (changed == g_path)
        return;
    g_path = changed;
    if (g_observer)
        g_observer->crashPathChanged(g_path);
}
// The network port as the observer sees it.
void notePathSocket(qintptr fd, const QByteArray &prefix, int holdMs)
{
    changePath([&](CrashPath &path) {
        path.socketFd = fd;
        path.prefix = fd < 0 ? QByteArray() : prefix.left(CrashSignals::MaxPrefixBytes);
        path.holdMs = fd < 0 ? 0 : std::clamp(holdMs, 0, 2000);
    });
}
} // namespace

void CrashSignals::setObserver(CrashObserver *observer)
{
    const std::lock_guard lock(g_pathLock);
    g_observer = observer;
    if (g_observer)
        g_observer->crashPathChanged(g_path);
}

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
const int FatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction g_previous[std::size(FatalSignals)];

static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_port{-1};
std::atomic<int> g_socket{-1};
std::atomic<int> g_guardian{-1};
const GuardProtocol::Message g_disarm = [] {
    GuardProtocol::Message disarm;
    disarm.type = GuardProtocol::Type::Disarm;
    return disarm;
}();
// Written only while g_socket is -1, so the handler never reads it half-made.
char g_prefix[CrashSignals::MaxPrefixBytes];
size_t g_prefixSize = 0;
int g_holdMs = 0;

// Two slots, so that new bytes never change a slot the handler may be
// reading: they go into the idle one, which is then made the active one.
struct Slot
{
    char bytes[CrashSignals::MaxBytes];
    size_t size;
};
Slot g_slots[2];
std::atomic<int> g_active{-1}; // -1: nothing to write
// Opened on install: what the port's descriptor is pointed at while the
// handler writes, so that another thread still writing to the port (the
// instrument session's) writes to nothing.
int g_void = -1;

// A stack of its own: a SIGSEGV from a stack overflow has none left.
alignas(16) char g_altStack[64 * 1024];

#ifdef MSG_NOSIGNAL
constexpr int NoSigPipe = MSG_NOSIGNAL; // a server gone away ends no one with SIGPIPE
#else
constexpr int NoSigPipe = 0;
#endif

// Writes all of bytes, retrying a full queue a bounded number of times.
// True when all of them went.
bool writeAll(int fd, const char *at, size_t left, bool socket)
{
    for (int attempt = 0; left > 0 && attempt < 1000; ++attempt) {
        const ssize_t n = socket ? ::send(fd, at, left, NoSigPipe) : ::write(fd, at, left);
        if (n > 0) {
            at += n;
            left -= size_t(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            break;
        }
    }
    return left == 0;
}

// A descriptor of the handler's own for fd, and fd itself pointed at
// nothing: what other threads write from now on is lost, and nothing they
// still had queued follows the release. fd itself when that cannot be done.
int takeOver(int fd)
{
    const int own = ::dup(fd);
    if (own < 0 || g_void < 0 || ::dup2(g_void, fd) < 0)
        return own < 0 ? fd : own;
    return own;
}

bool isSocket(int fd)
{
    struct stat info
    {};
    return ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}

bool releaseOnSocket(int fd, const Slot &slot)
{
    const bool written = writeAll(fd, g_prefix, g_prefixSize, true)
                         && writeAll(fd, slot.bytes, slot.size, true);
    // The process's end closes the connection, and a serial server may
    // drop what its line has not sent by then.
    timespec hold{g_holdMs / 1000, (g_holdMs % 1000) * 1000000L};
    while (::nanosleep(&hold, &hold) != 0 && errno == EINTR) {
    }
    // What the server sent and nobody read would make the close at exit a
    // reset, and a reset drops what the server has not read yet.
    char sink[256];
    while (::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
    ::shutdown(fd, SHUT_WR);
    return written;
}

extern "C" void onCrashSignal(int signalNumber)
{
    const int saved = errno;
    const int fd = g_port.load();
    const int socket = g_socket.load();
    const int active = g_active.load();
    // A stale descriptor that now names some other file is left alone.
    bool released = false;
    if (fd >= 0 && active >= 0 && ::isatty(fd)) {
        const int own = takeOver(fd);
        if (::tcflush(own, TCOFLUSH) == 0)
            released = writeAll(own, g_slots[active].bytes, g_slots[active].size, false);
    } else if (socket >= 0 && active >= 0 && isSocket(socket)) {
        released = releaseOnSocket(takeOver(socket), g_slots[active]);
    }
    // Done here: the guardian, which would send them again, is disarmed.
    if (const int guardian = g_guardian.load(); guardian >= 0 && released)
        ::send(guardian, &g_disarm, sizeof g_disarm, NoSigPipe);
    errno = saved;
    // Back to the default action (not every system resets SIGILL on entry);
    // the signal raised here is held until the handler returns, then ends
    // the process.
    struct sigaction fallback
    {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signalNumber, &fallback, nullptr);
    ::raise(signalNumber);
}
} // namespace

CrashSignals::~CrashSignals()
{
    if (!m_installed)
        return;
    for (size_t i = 0; i < std::size(FatalSignals); ++i)
        ::sigaction(FatalSignals[i], &g_previous[i], nullptr);
    g_active = -1;
}

bool CrashSignals::install()
{
    if (m_installed)
        return true;
    if (g_void < 0)
        g_void = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
        stack_t own{};
        own.ss_sp = g_altStack;
        own.ss_size = sizeof g_altStack;
        ::sigaltstack(&own, nullptr);
    }
    struct sigaction action
    {};
    action.sa_handler = onCrashSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    for (size_t i = 0; i < std::size(FatalSignals); ++i)
        if (::sigaction(FatalSignals[i], &action, &g_previous[i]) != 0)
            return false;
    m_installed = true;
    return true;
}

void CrashSignals::setCrashOutput(const QByteArray &bytes)
{
    changePath([&](CrashPath &path) { path.bytes = bytes; });
    if (bytes.isEmpty()) {
        g_active = -1;
        return;
    }
    const int idle = g_active.load() == 0 ? 1 : 0;
    Slot &slot = g_slots[idle];
    slot.size = std::min<size_t>(size_t(bytes.size()), sizeof slot.bytes);
    std::memcpy(slot.bytes, bytes.constData(), slot.size);
    g_active = idle;
}

void CrashSignals::setGuardianChannel(qintptr fd)
{
    g_guardian = static_cast<int>(fd);
}

void CrashSignals::setPortHandle(qintptr fd, int)
{
    g_port = static_cast<int>(fd);
    changePath([&](CrashPath &path) { path.serialFd = fd; });
}

void CrashSignals::setSocketHandle(qintptr fd, const QByteArray &prefix, int holdMs)
{
    notePathSocket(fd, prefix, holdMs);
    g_socket = -1;
    if (fd < 0)
        return;
    g_holdMs = std::clamp(holdMs, 0, 2000);
    g_prefixSize = std::min<size_t>(size_t(prefix.size()), sizeof g_prefix);
    std::memcpy(g_prefix, prefix.constData(), g_prefixSize);
    g_socket = static_cast<int>(fd);
}

#elif defined(Q_OS_WIN)
#include "domain/system/GuardLaunchWindows.h"
#include "domain/system/WindowsCrashRelease.h"

namespace {
std::atomic<qintptr> g_guardian{-1};

// Called by the crash path once the bytes went out: the guardian, which
// would send them again, is disarmed.
void disarmGuardian()
{
    if (const qintptr channel = g_guardian.load(); channel != -1)
        GuardLaunch::sendDisarm(reinterpret_cast<void *>(channel));
}
} // namespace

CrashSignals::~CrashSignals()
{
    if (m_installed)
        WindowsCrashRelease::setBytes(nullptr, 0);
}

bool CrashSignals::install()
{
    WindowsCrashRelease::setAfterRelease(disarmGuardian);
    m_installed = m_installed || WindowsCrashRelease::install();
    return m_installed;
}

void CrashSignals::setCrashOutput(const QByteArray &bytes)
{
    changePath([&](CrashPath &path) { path.bytes = bytes; });
    WindowsCrashRelease::setBytes(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CrashSignals::setGuardianChannel(qintptr fd)
{
    g_guardian = fd;
}

void CrashSignals::setPortHandle(qintptr fd, int characterUs)
{
    WindowsCrashRelease::setSerialPort(fd, characterUs);
    changePath([&](CrashPath &path) { path.serialFd = fd; });
}

void CrashSignals::setSocketHandle(qintptr fd, const QByteArray &prefix, int holdMs)
{
    notePathSocket(fd, prefix, holdMs);
    WindowsCrashRelease::setSocket(fd, prefix.constData(), static_cast<std::size_t>(prefix.size()), holdMs);
}

#else

// No crash path here: the guardian, where there is one, is the only one.
CrashSignals::~CrashSignals() = default;

bool CrashSignals::install()
{
    return false;
}

void CrashSignals::setCrashOutput(const QByteArray &bytes)
{
    changePath([&](CrashPath &path) { path.bytes = bytes; });
}

void CrashSignals::setGuardianChannel(qintptr) {}

void CrashSignals::setPortHandle(qintptr, int) {}

void CrashSignals::setSocketHandle(qintptr, const QByteArray &, int) {}

#endif
