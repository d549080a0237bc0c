// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// From starting the program to its window on the screen, against a bare Qt
// window measured the same way in the same run: each is started as a new
// process on a display of its own (Xvfb), and the time runs from the start
// to the first frame the program draws into its top-level window (what the
// operator first sees), and to the X server's notice that the window is
// mapped (before anything is drawn in it). Both come up on the same display
// with the same settings folder; the program's COM 1 is a pseudo-terminal,
// so it opens as on a bench. The bare window is measured empty and showing
// a line of text: a window that shows text pays for the font database (the
// system's font configuration is read at the first text), and the empty one
// never does; a window that sizes its controls to their captions pays for
// it before it is mapped, the bare one only when it draws. Beside them,
// each program's start to its end without a window (quorra --version
// against the bare window's program ending at once): what loading the
// libraries costs before any window is made.

#include "BenchTiming.h"
#include "support/PtyPair.h"

#include <QTemporaryDir>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
// The starts vary by a third from one to the next on a busy machine: enough
// rounds that the medians settle.
constexpr int Rounds = 31;

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

pid_t spawn(const std::vector<std::string> &arguments, const std::vector<std::string> &extraEnvironment)
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env(extraEnvironment);
    for (char **e = environ; *e; ++e)
        env.emplace_back(*e);
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    // What the programs print is not the benchmark's.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    return failed ? -1 : pid;
}

// When a program's top-level window was mapped and when it first drew into
// it, in ms from the start; negative where it did not happen within 10 s.
struct Appearance
{
    double mapped = -1;
    double drawn = -1;
};

// Watches the display from the program's start: every top-level window it
// makes is watched for drawing (the Damage extension reports each change of
// a window's contents), and the wait ends at the first drawing into a
// mapped one. The server paints no background for Qt's windows, so that
// drawing is the program's first frame.
Appearance waitForFirstFrame(xcb_connection_t *x, uint8_t damageEvents, double start)
{
    Appearance seen;
    std::vector<xcb_damage_damage_t> damages;
    std::vector<xcb_window_t> mapped;
    const double until = start + 10000;
    const auto finish = [&] {
        for (xcb_damage_damage_t d : damages)
            xcb_damage_destroy(x, d);
        xcb_flush(x);
        return seen;
    };
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                if (!created->override_redirect) {
                    const xcb_damage_damage_t d = xcb_generate_id(x);
                    xcb_damage_create(x, d, created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                    xcb_flush(x);
                    damages.push_back(d);
                }
            } else if (type == XCB_MAP_NOTIFY) {
                const auto *shown = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (!shown->override_redirect) {
                    if (seen.mapped < 0)
                        seen.mapped = nowMs() - start;
                    mapped.push_back(shown->window);
                }
            } else if (type == damageEvents + XCB_DAMAGE_NOTIFY) {
                const auto *drawn = reinterpret_cast<xcb_damage_notify_event_t *>(event);
                if (std::find(mapped.begin(), mapped.end(), drawn->drawable) != mapped.end()) {
                    seen.drawn = nowMs() - start;
                    std::free(event);
                    return finish();
                }
            }
            std::free(event);
        }
        const double left = until - nowMs();
        if (left <= 0)
            return finish();
        pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left) + 1);
    }
}

void drain(xcb_connection_t *x)
{
    xcb_flush(x);
    while (xcb_generic_event_t *event = xcb_poll_for_event(x))
        std::free(event);
}

void end(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

struct XServer
{
    pid_t server = -1;
    std::string name;
};

XServer startXvfb()
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    XServer d;
    d.server = spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                      "-nolisten", "tcp"},
                     {});
    close(fds[1]);
    char buffer[16] = {};
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, static_cast<size_t>(n));
        if (number.find('\n') != std::string::npos)
            break;
    }
    close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r'))
        number.pop_back();
    if (number.empty()) {
        if (d.server > 0)
            end(d.server);
        return {};
    }
    d.name = ":" + number;
    return d;
}

void report(const char *what, const std::vector<double> &program, const std::vector<double> &bare)
{
    const double p = median(program), b = median(bare);
    std::printf("%s: quorra median %.1f ms (min %.1f, max %.1f); bare Qt median %.1f ms (min %.1f, max %.1f); "
                "ratio %.2f\n",
                what, p, *std::min_element(program.begin(), program.end()),
                *std::max_element(program.begin(), program.end()), b,
                *std::min_element(bare.begin(), bare.end()), *std::max_element(bare.begin(), bare.end()),
                p / b);
}
} // namespace

int main()
{
    if (access("/usr/bin/Xvfb", X_OK) != 0) {
        std::fprintf(stderr, "bench_start_window needs Xvfb: sudo apt-get install -y xvfb\n");
        return 1;
    }
    const XServer display = startXvfb();
    if (display.name.empty()) {
        std::fprintf(stderr, "bench_start_window: Xvfb did not start\n");
        return 1;
    }
    xcb_connection_t *x = xcb_connect(display.name.c_str(), nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "bench_start_window: cannot reach %s\n", display.name.c_str());
        end(display.server);
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(x, &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "bench_start_window: the X server has no Damage extension\n");
        end(display.server);
        return 1;
    }
    const uint8_t damageEvents = damage->first_event;
    std::free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr));
    xcb_flush(x);

    PtyPair cable;
    QTemporaryDir settings;
    if (!cable.open() || !settings.isValid()) {
        std::fprintf(stderr, "bench_start_window: no pseudo-terminal or scratch folder\n");
        end(display.server);
        return 1;
    }
    const std::vector<std::string> environment{"DISPLAY=" + display.name, "QT_QPA_PLATFORM=xcb",
                                               "XDG_CONFIG_HOME=" + settings.path().toStdString(),
                                               "XDG_RUNTIME_DIR=" + settings.path().toStdString()};
    const std::vector<std::string> program{QUORRA_EXECUTABLE, "--com1", cable.deviceName().toStdString()};
    const std::vector<std::string> bare{BARE_WINDOW_EXECUTABLE};
    const std::vector<std::string> bareTextArguments{BARE_WINDOW_EXECUTABLE, "--text"};

    const auto toWindow = [&](const std::vector<std::string> &arguments) {
        drain(x);
        const double start = nowMs();
        const pid_t pid = spawn(arguments, environment);
        Appearance seen;
        if (pid > 0) {
            seen = waitForFirstFrame(x, damageEvents, start);
            end(pid);
        }
        return seen;
    };
    const auto toExit = [&](const std::vector<std::string> &arguments) {
        const double start = nowMs();
        const pid_t pid = spawn(arguments, environment);
        int status = 0;
        if (pid > 0)
            waitpid(pid, &status, 0);
        return nowMs() - start;
    };

    // One round of each first, so that both start from a warm file cache.
    toWindow(program);
    toWindow(bare);
    toWindow(bareTextArguments);
    struct Figures
    {
        std::vector<double> mapped, drawn;
        bool add(const Appearance &seen)
        {
            mapped.push_back(seen.mapped);
            drawn.push_back(seen.drawn);
            return seen.mapped >= 0 && seen.drawn >= 0;
        }
    };
    Figures programWindow, bareWindow, bareText;
    std::vector<double> programExit, bareExit;
    for (int round = 0; round < Rounds; ++round) {
        const bool seen = programWindow.add(toWindow(program)) & bareWindow.add(toWindow(bare))
                          & bareText.add(toWindow(bareTextArguments));
        if (!seen) {
            std::fprintf(stderr, "bench_start_window: a window was not shown and drawn within 10 s\n");
            end(display.server);
            return 1;
        }
        programExit.push_back(toExit({QUORRA_EXECUTABLE, "--version"}));
        bareExit.push_back(toExit({BARE_WINDOW_EXECUTABLE, "--exit"}));
    }
    std::printf("%d rounds on Xvfb %s\n", Rounds, display.name.c_str());
    report("start to the first frame drawn", programWindow.drawn, bareWindow.drawn);
    report("start to the first frame drawn, the bare one with a line of text", programWindow.drawn,
           bareText.drawn);
    report("start to a mapped window", programWindow.mapped, bareWindow.mapped);
    report("start to a mapped window, the bare one with a line of text", programWindow.mapped, bareText.mapped);
    report("start to exit without a window (quorra --version; the bare one ends at once)", programExit,
           bareExit);
    std::printf("goal: the first frame's ratio against the bare window with text at most 1.5\n");
    xcb_disconnect(x);
    end(display.server);
    return 0;
}
