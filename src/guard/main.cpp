// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// quorra-guard: started by quorra when the instrument comes under remote
// control, in a session of its own. It holds a copy of the port and waits.
// Should the program end without disarming it (killed, crashed beyond its
// own handlers), it writes the off commands to the port, logs one line to
// the system log and ends. While the program lives it writes nothing.

#include <cstdio>

// The Windows side is mainWindows.cpp.
#ifndef _WIN32

#include "domain/system/GuardProtocol.h"
#include "guard/Release.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace {
using GuardProtocol::Message;

// The longest the guardian spends on the release, so that it never holds
// the port for good (a line held by flow control, a server that never reads).
constexpr int ReleaseDeadlineMs = 30000;

enum class Read { Message, Garbled, End };

// One whole message, and the descriptor that came with it (-1: none).
Read readMessage(int channel, Message &message, int &fd)
{
    fd = -1;
    auto *into = reinterpret_cast<char *>(&message);
    size_t got = 0;
    while (got < sizeof message) {
        iovec part{into + got, sizeof message - got};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(channel, &header, MSG_CMSG_CLOEXEC);
        if (n < 0 && errno == EINTR)
            continue;
        for (cmsghdr *c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(c), sizeof received);
                if (fd >= 0)
                    ::close(fd);
                fd = received;
            }
        }
        // The end, an error or a message cut short by the program's death.
        if (n <= 0)
            return Read::End;
        got += size_t(n);
    }
    return message.magic == GuardProtocol::Magic ? Read::Message : Read::Garbled;
}

void take(HeldPort &held, const Message &message, int fd)
{
    if (held.fd >= 0)
        ::close(held.fd);
    held = {};
    if (fd < 0 || message.kind == GuardProtocol::Kind::None) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    held.fd = fd;
    held.kind = message.kind;
    held.prefix.assign(message.prefix, std::min<size_t>(message.prefixSize, sizeof message.prefix));
    held.bytes.assign(message.bytes, std::min<size_t>(message.bytesSize, sizeof message.bytes));
    held.holdMs = std::min<int>(message.holdMs, GuardProtocol::MaxHoldMs);
}

int usage()
{
    std::fputs("quorra-guard: quorra starts this program under remote control, with the port it watches;"
               " it is not run by hand\n",
               stderr);
    return 2;
}

// The program is gone without switching the output off.
int release(const HeldPort &held)
{
    if (held.fd < 0 || held.bytes.empty()) {
        syslog(LOG_WARNING, "quorra ended under remote control without switching the output off; no port was"
                            " open, nothing sent");
        return 0;
    }
    const std::string name = portName(held);
    const bool delivered = releasePort(held, ReleaseDeadlineMs);
    syslog(delivered ? LOG_WARNING : LOG_ERR,
           "%s: quorra ended under remote control without switching the output off; %s", name.c_str(),
           delivered ? "the off commands were sent" : "the off commands could not all be sent");
    ::close(held.fd);
    return delivered ? 0 : 1;
}
} // namespace

int main(int argc, char **)
{
    struct stat channelInfo
    {};
    if (argc > 3 || ::fstat(GuardProtocol::ChannelFd, &channelInfo) != 0 || !S_ISSOCK(channelInfo.st_mode))
        return usage();
    // Signals meant for a terminal's jobs are not for the guardian (it has
    // no terminal of its own, but a signal may still be sent to it by hand).
    for (int s : {SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGTTIN, SIGTTOU})
        std::signal(s, SIG_IGN);
    // The log line also goes to standard error, where there is one to read.
    openlog("quorra-guard", LOG_PID | LOG_PERROR, LOG_USER);

    HeldPort held;
    for (;;) {
        Message message;
        int fd = -1;
        switch (readMessage(GuardProtocol::ChannelFd, message, fd)) {
        case Read::Message:
            if (message.type == GuardProtocol::Type::Disarm) {
                if (fd >= 0)
                    ::close(fd);
                if (held.fd >= 0)
                    ::close(held.fd);
                return 0;
            }
            take(held, message, fd);
            ::send(GuardProtocol::ChannelFd, &GuardProtocol::Ack, 1, MSG_NOSIGNAL);
            break;
        case Read::Garbled:
            // Not the program's: never a reason to write.
            if (fd >= 0)
                ::close(fd);
            break;
        case Read::End:
            if (fd >= 0)
                ::close(fd);
            return release(held);
        }
    }
}

#endif
