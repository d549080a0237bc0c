// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The instrument's side of the line for the tests run under Wine: a
// pseudo-terminal, or a loopback listener, whose bytes go to a file as they
// come. Built for the machine itself (it never runs under Wine).
//
//   far_end pty LINK OUT     LINK points at the terminal (Wine's COM1 is
//                            mapped to it); reads until SIGTERM
//   far_end tcp PORTFILE OUT listens on 127.0.0.1, a free port, written to
//                            PORTFILE; reads one connection to its end
// "ready" on standard output once the far end is there.

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_stop = 0;
extern "C" void onTerm(int)
{
    g_stop = 1;
}

int fail(const char *what)
{
    std::fprintf(stderr, "far_end: %s: %s\n", what, std::strerror(errno));
    return 1;
}

// Copies what arrives on fd to out until the end or SIGTERM (then what is
// still waiting is taken too). Bounded to 60 s, in case nobody stops it.
void copy(int fd, int out)
{
    char buffer[4096];
    for (int waited = 0; waited < 60000;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready <= 0) {
            if (g_stop)
                return;
            waited += 50;
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        if (::write(out, buffer, size_t(n)) != n)
            return;
    }
}

int pty(const char *link, const char *outPath)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return fail("posix_openpt");
    const char *name = ::ptsname(master);
    // The terminal stays open here as well, so that Wine's close is no
    // hang-up for the reading side; raw, so that every byte comes as sent.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0)
        return fail(name);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    const std::string temporary = std::string(link) + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(name, temporary.c_str()) != 0 || ::rename(temporary.c_str(), link) != 0)
        return fail(link);
    const int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return fail(outPath);
    std::puts("ready");
    std::fflush(stdout);
    copy(master, out);
    ::unlink(link);
    return 0;
}

int tcp(const char *portPath, const char *outPath)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, 1) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return fail("listen");
    FILE *port = std::fopen(portPath, "w");
    if (!port)
        return fail(portPath);
    std::fprintf(port, "%d\n", ntohs(address.sin_port));
    std::fclose(port);
    const int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return fail(outPath);
    std::puts("ready");
    std::fflush(stdout);
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 60000) <= 0)
        return fail("nobody connected");
    const int connection = ::accept(listener, nullptr, nullptr);
    if (connection < 0)
        return fail("accept");
    copy(connection, out);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGTERM, onTerm);
    if (argc == 4 && std::strcmp(argv[1], "pty") == 0)
        return pty(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "tcp") == 0)
        return tcp(argv[2], argv[3]);
    std::fputs("usage: far_end pty LINK OUT | far_end tcp PORTFILE OUT\n", stderr);
    return 2;
}
