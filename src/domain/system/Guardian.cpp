// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/Guardian.h"

#include "domain/system/GuardProtocol.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {
#ifdef Q_OS_WIN
const QString ProgramName = QStringLiteral("quorra-guard.exe");
#else
const QString ProgramName = QStringLiteral("quorra-guard");
#endif

QString withoutIt()
{
    return QStringLiteral(": should the program be killed under remote control, the output may stay on.");
}

// How often the watcher looks whether the guardian answers, and how long a
// state may wait for its answer (the guardian takes one in microseconds).
constexpr int AnswerCheckMs = 250;
constexpr auto AnswerWait = std::chrono::seconds(2);

#ifdef Q_OS_UNIX // a wait status; on Windows the exit code is told as it is
QString exitText(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
    return QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
}

// Waits for the guardian's end of the channel to close, at most timeoutMs.
bool channelClosedWithin(int channel, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{channel, 0, 0}; // only the hang-up
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        const int n = ::poll(&p, 1, static_cast<int>(std::max<qint64>(0, left)));
        if (n > 0)
            return true;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}
#endif
} // namespace

Guardian::Guardian(const QString &program, Trouble trouble) : m_program(program), m_trouble(std::move(trouble))
{
    CrashSignals::setObserver(this);
}

Guardian::~Guardian()
{
    CrashSignals::setObserver(nullptr);
    const std::lock_guard lock(m_lock);
#ifdef Q_OS_UNIX
    if (m_channel < 0)
        return;
    // Still armed as the program ends: the output was never switched off,
    // and the guardian does it. Only the watcher is stopped.
    m_disarming = true;
    ::shutdown(m_channel, SHUT_RDWR);
    if (m_watcher.joinable())
        m_watcher.join();
    ::close(m_channel);
#elif defined(Q_OS_WIN)
    if (!m_child.process)
        return;
    // As above: the guardian takes the closed pipe as the program's end.
    m_disarming = true;
    SetEvent(m_stop);
    if (m_watcher.joinable())
        m_watcher.join();
    CrashSignals::setGuardianChannel(-1);
    closeChannel();
#endif
}

QString Guardian::installedProgram()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString beside = here.filePath(ProgramName);
    const QString installed = QDir::cleanPath(
        here.filePath(QStringLiteral("../libexec/quorra/") + ProgramName));
    return QFileInfo(beside).isFile() || !QFileInfo(installed).isFile() ? beside : installed;
}

qint64 Guardian::processId() const
{
    const std::lock_guard lock(m_lock);
    return m_reaped ? -1 : m_pid;
}

bool Guardian::waitUntilTaken(int timeoutMs)
{
    std::unique_lock lock(m_takenLock);
    return m_takenChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return m_statesTaken >= m_statesSent; });
}

void Guardian::tellOnce(const QString &text)
{
    if (!m_told.exchange(true) && m_trouble)
        m_trouble(text);
}

void Guardian::crashPathChanged(const CrashPath &path)
{
    const std::lock_guard lock(m_lock);
#if defined(Q_OS_UNIX) || defined(Q_OS_WIN)
    if (m_pid >= 0 && m_reaped) {
        // Gone on its own (told by the watcher): not started again while
        // these bytes last.
        if (m_watcher.joinable())
            m_watcher.join();
        CrashSignals::setGuardianChannel(-1);
        closeChannel();
        m_pid = -1;
        m_failed = true;
    }
    if (path.bytes.isEmpty()) {
        if (m_pid >= 0)
            disarm();
        m_failed = false;
        m_sent = path;
        return;
    }
    if (m_failed)
        return;
    if (m_pid < 0) {
        start();
        if (m_pid < 0) {
            m_failed = true;
            return;
        }
        m_sent = {};
    }
    if (!(path == m_sent))
        send(path);
#else
    Q_UNUSED(path);
#endif
}

void Guardian::start()
{
#ifdef Q_OS_UNIX
    if (!QFileInfo(m_program).isExecutable()) {
        tellOnce(QStringLiteral("The guardian %1 could not be started (not found)").arg(m_program)
                 + withoutIt());
        return;
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        tellOnce(
            QStringLiteral("The guardian %1 could not be started (%2)").arg(m_program, qt_error_string(errno))
            + withoutIt());
        return;
    }
    // Above the descriptor it becomes in the guardian, so that the move
    // there clears close-on-exec.
    const int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, GuardProtocol::ChannelFd + 1);
    ::close(pair[1]);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, childEnd, GuardProtocol::ChannelFd);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    // Nothing else of the program's: a terminal or a pipe it holds would
    // not end with the program.
    posix_spawn_file_actions_addclosefrom_np(&files, GuardProtocol::ChannelFd + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: a signal to the program's process group or
    // terminal does not reach it.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const QByteArray path = QFile::encodeName(m_program);
    const QByteArray forPid = QByteArray::number(qint64(::getpid()));
    char name[] = "quorra-guard";
    char forOption[] = "--for";
    char *arguments[] = {name, forOption, const_cast<char *>(forPid.constData()), nullptr};
    char *environment[] = {nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, path.constData(), &files, &attributes, arguments, environment);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(childEnd);
    if (failed != 0) {
        ::close(pair[0]);
        tellOnce(
            QStringLiteral("The guardian %1 could not be started (%2)").arg(m_program, qt_error_string(failed))
            + withoutIt());
        return;
    }
    m_channel = pair[0];
    m_pid = pid;
    CrashSignals::setGuardianChannel(m_channel);
    m_disarming = false;
    m_reaped = false;
    {
        const std::lock_guard taken(m_takenLock);
        m_statesSent = m_statesTaken = 0;
        m_waitingSince = std::chrono::steady_clock::now();
    }
    m_watcher = std::thread(&Guardian::watch, this, m_channel, m_pid);
#elif defined(Q_OS_WIN)
    if (!QFileInfo(m_program).isExecutable()) {
        tellOnce(QStringLiteral("The guardian %1 could not be started (not found)").arg(m_program)
                 + withoutIt());
        return;
    }
    const std::wstring path = QDir::toNativeSeparators(m_program).toStdWString();
    unsigned long error = 0;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_stop || !GuardLaunch::start(path.c_str(), m_child, error)) {
        if (!m_stop)
            error = GetLastError();
        closeChannel();
        tellOnce(QStringLiteral("The guardian %1 could not be started (%2)")
                     .arg(m_program, qt_error_string(static_cast<int>(error)))
                 + withoutIt());
        return;
    }
    m_pid = static_cast<qint64>(m_child.pid);
    CrashSignals::setGuardianChannel(reinterpret_cast<qintptr>(m_child.channel));
    m_disarming = false;
    m_reaped = false;
    {
        const std::lock_guard taken(m_takenLock);
        m_statesSent = m_statesTaken = 0;
        m_waitingSince = std::chrono::steady_clock::now();
    }
    m_watcher = std::thread(&Guardian::watch, this, -1, m_pid);
#endif
}

void Guardian::send(const CrashPath &path)
{
#ifdef Q_OS_UNIX
    GuardProtocol::Message message;
    message.type = GuardProtocol::Type::State;
    const int fd = static_cast<int>(path.serialFd >= 0 ? path.serialFd : path.socketFd);
    message.kind = path.serialFd >= 0   ? GuardProtocol::Kind::Serial
                   : path.socketFd >= 0 ? GuardProtocol::Kind::Socket
                                        : GuardProtocol::Kind::None;
    message.holdMs = static_cast<std::uint16_t>(std::clamp(path.holdMs, 0, GuardProtocol::MaxHoldMs));
    message.prefixSize = static_cast<std::uint8_t>(
        std::min<qsizetype>(path.prefix.size(), GuardProtocol::MaxPrefix));
    std::memcpy(message.prefix, path.prefix.constData(), message.prefixSize);
    message.bytesSize = static_cast<std::uint8_t>(
        std::min<qsizetype>(path.bytes.size(), GuardProtocol::MaxBytes));
    std::memcpy(message.bytes, path.bytes.constData(), message.bytesSize);

    iovec whole{&message, sizeof message};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr header{};
    header.msg_iov = &whole;
    header.msg_iovlen = 1;
    if (fd >= 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        cmsghdr *c = CMSG_FIRSTHDR(&header);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    }
    {
        const std::lock_guard taken(m_takenLock);
        ++m_statesSent;
    }
    ssize_t n;
    do
        n = ::sendmsg(m_channel, &header, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    // A short write cannot happen on an idle local socket of this size; a
    // failed one means the guardian has gone, which the watcher tells.
    if (n == static_cast<ssize_t>(sizeof message))
        m_sent = path;
#elif defined(Q_OS_WIN)
    GuardLaunch::State state;
    state.serial = path.serialFd;
    state.socket = path.serialFd == -1 ? path.socketFd : -1;
    state.prefix = path.prefix.constData();
    state.prefixSize = static_cast<std::size_t>(path.prefix.size());
    state.holdMs = path.holdMs;
    state.bytes = path.bytes.constData();
    state.bytesSize = static_cast<std::size_t>(path.bytes.size());
    {
        const std::lock_guard taken(m_takenLock);
        ++m_statesSent;
    }
    // A failed write means the guardian has gone, which the watcher tells.
    if (GuardLaunch::sendState(m_child, state))
        m_sent = path;
#else
    Q_UNUSED(path);
#endif
}

void Guardian::disarm()
{
#ifdef Q_OS_UNIX
    CrashSignals::setGuardianChannel(-1);
    m_disarming = true;
    GuardProtocol::Message message;
    message.type = GuardProtocol::Type::Disarm;
    ::send(m_channel, &message, sizeof message, MSG_NOSIGNAL);
    // It closes its copy of the port and ends; one that does not is ended.
    const bool closed = channelClosedWithin(m_channel, 2000);
    if (!closed)
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
    ::shutdown(m_channel, SHUT_RDWR);
    if (m_watcher.joinable())
        m_watcher.join();
    if (!m_reaped) {
        int status = 0;
        while (::waitpid(static_cast<pid_t>(m_pid), &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(m_channel);
    m_channel = -1;
    m_pid = -1;
    m_reaped = false;
    m_sent = {};
#elif defined(Q_OS_WIN)
    CrashSignals::setGuardianChannel(-1);
    m_disarming = true;
    GuardLaunch::sendDisarm(m_child.channel);
    // It closes its copy of the port and ends; one that does not is ended.
    unsigned long status = 0;
    if (!GuardLaunch::waitForEnd(m_child, 2000, status)) {
        GuardLaunch::kill(m_child);
        GuardLaunch::waitForEnd(m_child, 2000, status);
    }
    SetEvent(m_stop);
    if (m_watcher.joinable())
        m_watcher.join();
    closeChannel();
    m_pid = -1;
    m_reaped = false;
    m_sent = {};
#endif
}

void Guardian::noteAnswers(int answers)
{
    bool silent = false;
    {
        const std::lock_guard taken(m_takenLock);
        const auto now = std::chrono::steady_clock::now();
        m_statesTaken += answers;
        if (answers > 0 || m_statesTaken >= m_statesSent)
            m_waitingSince = now;
        else
            silent = now - m_waitingSince > AnswerWait;
        m_takenChanged.notify_all();
    }
    if (silent)
        tellOnce(QStringLiteral("The guardian %1 does not answer: it has taken no port in %2 s")
                     .arg(m_program)
                     .arg(std::chrono::duration_cast<std::chrono::seconds>(AnswerWait).count())
                 + withoutIt());
}

void Guardian::watch(int channel, qint64 pid)
{
#ifdef Q_OS_UNIX
    char answers[64];
    for (;;) {
        pollfd p{channel, POLLIN, 0};
        const int ready = ::poll(&p, 1, AnswerCheckMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            noteAnswers(0);
            continue;
        }
        const ssize_t n = ::recv(channel, answers, sizeof answers, MSG_DONTWAIT);
        if (n > 0) {
            noteAnswers(static_cast<int>(std::count(answers, answers + n, GuardProtocol::Ack)));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        break;
    }
    if (m_disarming)
        return;
    int status = 0;
    while (::waitpid(static_cast<pid_t>(pid), &status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    tellOnce(QStringLiteral("The guardian %1 ended on its own (%2)").arg(m_program, exitText(status))
             + withoutIt());
#elif defined(Q_OS_WIN)
    Q_UNUSED(channel);
    Q_UNUSED(pid);
    for (;;) {
        const int answers = GuardLaunch::readAcks(m_child, m_stop, AnswerCheckMs);
        if (answers == GuardLaunch::Stopped)
            return;
        if (answers == GuardLaunch::Ended)
            break;
        noteAnswers(answers);
    }
    if (m_disarming)
        return;
    // Its end of the pipe closes as it ends.
    unsigned long status = 0;
    const bool ended = GuardLaunch::waitForEnd(m_child, 5000, status);
    m_reaped = true;
    tellOnce(QStringLiteral("The guardian %1 ended on its own (%2)")
                 .arg(m_program,
                      ended ? QStringLiteral("exit status %1").arg(status) : QStringLiteral("pipe closed"))
             + withoutIt());
#else
    Q_UNUSED(channel);
    Q_UNUSED(pid);
#endif
}

void Guardian::closeChannel()
{
#ifdef Q_OS_UNIX
    ::close(m_channel);
    m_channel = -1;
#elif defined(Q_OS_WIN)
    GuardLaunch::close(m_child);
    if (m_stop)
        CloseHandle(m_stop);
    m_stop = nullptr;
#endif
}
