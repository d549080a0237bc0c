// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// How well a run keeps its time: steps played by the program's real path
// (its timer, the line's pace, the sequencer) through its serial adapter
// into a pseudo-terminal (a fast line: nothing holds the bytes back), timed
// where the bytes arrive. The instrument session runs on its own thread, as
// in the program.
//
//   bench_sequencer_timing [--skip-long] [--hidden] [--socket] [--quiet-only]
//
// --socket plays to an instrument on the network instead, the program's
// port being TCPIP::127.0.0.1::PORT::SOCKET and the far end a loopback
// socket that reads at once (the pace is then what its stack has not
// acknowledged).
//
// Short steps, in two scenarios: 1,000 steps of 10 ms, Single,
//  - quiet: the window shown and left alone;
//  - busy: the window is resized and its table of 100,000 rows scrolled
//    every 5 ms, and a message box is opened and closed, all through the
//    run (skipped with --quiet-only or --hidden).
//  - quiet, chart open: the same with the chart window marking each step
//    (skipped with --hidden);
//  - quiet, guardian armed: the same with quorra-guard holding the port;
// Each prints the median and 99th percentile of each step's period error
// (arrival of a step's commands to arrival of the next step's, less 10 ms),
// the last step's double hold, and the whole run's duration against its
// nominal (1,000 x 10 ms + 10 ms). The baseline is a bare thread, at the
// session thread's priority, sleeping the same steps under the same load
// in the same run.
// Long periods (skipped with --skip-long, which saves about five minutes):
// 3 periods each of 5 s, 20 s and 65.53 s, the longest a step can have.
// Goals: 99th percentile <= 1.5 x the baseline's, whole run <= 1.001 x
// nominal, median error <= 0.1 ms, long periods within 1 ms.
#include "domain/instrument/InstrumentSession.h"
#include "domain/ports/PortMap.h"
#include "domain/ports/RoutedPort.h"
#include "domain/system/CrashSignals.h"
#include "domain/system/Guardian.h"
#include "domain/system/QtTimer.h"
#include "domain/system/ThreadPriority.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sched.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;

struct Line
{
    Clock::time_point at;
    std::string text;
};

#ifdef Q_OS_UNIX
// Reads the instrument's end of the cable on its own thread and stamps
// each line with the moment its last byte arrived.
class FarEnd
{
public:
    explicit FarEnd(int master) : m_master(master), m_thread([this] { run(); }) {}
    ~FarEnd()
    {
        m_stop = true;
        m_thread.join();
    }

    std::vector<Line> take()
    {
        std::lock_guard lock(m_mutex);
        std::vector<Line> out;
        out.swap(m_lines);
        return out;
    }

private:
    void run()
    {
        // The stamps should be the bytes' arrival, not this thread's turn
        // on a busy machine: ask for real-time priority where allowed.
        sched_param param{};
        param.sched_priority = 10;
        m_realTime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
        std::string partial;
        char buffer[4096];
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            if (n <= 0)
                continue;
            std::lock_guard lock(m_mutex);
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\r') {
                    m_lines.push_back({now, partial});
                    partial.clear();
                } else {
                    partial.push_back(buffer[i]);
                }
            }
        }
    }

public:
    bool realTime() const { return m_realTime; }

private:
    int m_master;
    std::atomic<bool> m_realTime{false};
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Line> m_lines;
    std::thread m_thread;
};

// A loopback listener standing for an instrument's raw socket: start-up's
// two connections are read to their end and closed as the instrument's
// stack would; the next one, Remote's, is handed over.
class InstrumentSocket
{
public:
    bool listen()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&a), size) != 0
            || ::listen(m_listener, 4) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &size) != 0)
            return false;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] {
            // Start-up's port probe and its Local, each read to its end.
            for (int i = 0; i < 2; ++i) {
                const int startup = ::accept(m_listener, nullptr, nullptr);
                char sink[256];
                while (::read(startup, sink, sizeof sink) > 0) {
                }
                ::close(startup);
            }
            m_remote = ::accept(m_listener, nullptr, nullptr);
        });
        return true;
    }
    // The connection of Remote and the run; waits for it.
    int remote()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_remote;
    }
    quint16 port() const { return m_port; }
    ~InstrumentSocket()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
    }

private:
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<int> m_remote{-1};
    std::thread m_thread;
};
#endif

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const double rank = p / 100.0 * double(v.size() - 1);
    const size_t lo = size_t(std::floor(rank));
    const size_t hi = std::min(v.size() - 1, lo + 1);
    return v[lo] + (v[hi] - v[lo]) * (rank - double(lo));
}

// rows steps of the given dwell, checked, then unchecked ones up to total.
void setTable(frmControl &w, int rows, const QString &dwell, int total = 0)
{
    std::vector<StepRecord> steps;
    for (int i = 1; i <= std::max(rows, total); ++i) {
        StepRecord r = StepRecord::makeDefault(StepDefaults::label(i));
        r.checked = i <= rows;
        r.subItem(StepRecord::WorkTime) = dwell;
        steps.push_back(r);
    }
    w.ui().livData->replaceAll(std::move(steps));
}

// The program's timer, with a note of when the session arms it (a step's
// period counts from there) and when each tick's work begins and ends. The
// session takes the ticks as it does from the real timer: pace, then
// sequencer. A QObject holding the timer, so that both go to the session's
// thread.
class ArmProbe : public QObject, public Timer
{
public:
    ArmProbe()
    {
        m_inner.onTick = [this] {
            note(m_tickBegin);
            if (onTick)
                onTick();
            note(m_tickEnd);
        };
    }
    int Interval() const override { return m_inner.Interval(); }
    void setInterval(int milliseconds) override { m_inner.setInterval(milliseconds); }
    bool Enabled() const override { return m_inner.Enabled(); }
    void setEnabled(bool enabled) override
    {
        m_inner.setEnabled(enabled);
        if (enabled)
            note(m_armed);
    }

    struct Notes
    {
        std::vector<Clock::time_point> armed, tickBegin, tickEnd;
    };
    // What was noted since the last call.
    Notes take()
    {
        std::lock_guard lock(m_mutex);
        Notes out{std::move(m_armed), std::move(m_tickBegin), std::move(m_tickEnd)};
        m_armed.clear();
        m_tickBegin.clear();
        m_tickEnd.clear();
        return out;
    }

private:
    void note(std::vector<Clock::time_point> &into)
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_mutex);
        into.push_back(now);
    }

    QtTimer m_inner{this};
    std::mutex m_mutex;
    std::vector<Clock::time_point> m_armed, m_tickBegin, m_tickEnd;
};

// The window's own work while a run plays: every 5 ms it is resized and its
// table scrolled, and once a message box is opened and closed again.
class BusyWindow : public QObject
{
public:
    explicit BusyWindow(frmControl &w) : m_window(w)
    {
        m_every.setTimerType(Qt::PreciseTimer);
        connect(&m_every, &QTimer::timeout, this, [this] { work(); });
    }
    void start()
    {
        m_turns = 0;
        m_every.start(5);
        // A modal box runs its own event loop; the work goes on inside it.
        QTimer::singleShot(2000, this, [this] {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Nesk DEMO"),
                            QStringLiteral("A box in the middle of the run."), QMessageBox::Ok, &m_window);
            QTimer::singleShot(1500, &box, [&box] { box.done(QMessageBox::Ok); });
            box.exec();
        });
    }
    void stop() { m_every.stop(); }
    int turns() const { return m_turns; }

private:
    void work()
    {
        ++m_turns;
        m_window.resize(m_turns % 2 ? QSize(1000, 760) : QSize(880, 700));
        QScrollBar *bar = m_window.ui().livData->verticalScrollBar();
        bar->setValue((bar->value() + 997) % std::max(1, bar->maximum()));
        m_window.repaint();
    }

    frmControl &m_window;
    QTimer m_every;
    int m_turns = 0;
};

// Plays the table once; with stopAfterLast the run is stopped as soon as
// the last checked row has been played instead of holding it. What the
// window shows arrives by its queued signals, as in the program.
void playOnce(frmControl &w, bool stopAfterLast, int lastRow)
{
    QEventLoop loop;
    QObject context;
    QObject::connect(&w.session(), &InstrumentSession::runEnded, &context, [&] { loop.quit(); });
    if (stopAfterLast)
        QObject::connect(&w.session(), &InstrumentSession::stepPlayed, &context, [&](int position) {
            // STOP drops commands that have not left yet: it is pressed once
            // the last step's commands are on the wire.
            if (position == lastRow)
                QTimer::singleShot(100, &context, [&] { w.cmdRunStop_Click(); });
        });
    w.ui().cboRunMode->setCurrentText(QStringLiteral("Single"));
    w.cboRunMode_Click();
    w.cmdRunStop_Click(); // plays the first row at once
    if (w.session().running())
        loop.exec();
}

// Arrival of each step (its frequency command), of the run's first command
// and of its last.
struct Arrivals
{
    std::vector<Clock::time_point> steps;
    Clock::time_point first, last;
};

Arrivals arrivalsOf(const std::vector<Line> &lines)
{
    Arrivals a;
    bool started = false;
    for (const Line &l : lines) {
        if (l.text == ":SOUR:TURN OFF" && !started) {
            a.first = l.at;
            started = true;
        }
        if (started && l.text.rfind(":SOUR:FREQ ", 0) == 0)
            a.steps.push_back(l.at);
        if (l.text == ":OUTP OFF")
            a.last = l.at;
    }
    return a;
}

void waitForTail()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// The machine's own lateness: a bare thread sleeping the same periods, no
// event loop, no serial port, at the priority the session's thread gets.
// The program cannot do better than this. The window's thread goes on with
// its own work meanwhile.
std::vector<double> bareSleepLateness(int count, double periodMs, bool *realTime = nullptr)
{
    std::vector<double> late;
    QEventLoop loop;
    std::thread sleeper([&] {
        const bool raised = raiseThreadToRealTime();
        if (realTime)
            *realTime = raised;
        const auto period = std::chrono::microseconds(qint64(periodMs * 1000));
        for (int i = 0; i < count; ++i) {
            const Clock::time_point start = Clock::now();
            std::this_thread::sleep_for(period);
            late.push_back(ms(Clock::now() - start - period));
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    sleeper.join();
    return late;
}
} // namespace

// The same with the test rig's line: the bare thread writes one command
// after each sleep into a pseudo-terminal of its own, and the error is
// taken where the lines arrive, as the program's is. A pseudo-terminal
// hands bytes to its far end through a kernel worker at normal priority,
// which a busy window's thread competes with: this shows what of the far
// end's error is the rig's.
std::vector<double> bareWriterErrors(int count, double periodMs)
{
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    std::vector<double> errors;
    {
        FarEnd far(master);
        QEventLoop loop;
        std::thread writer([&] {
            raiseThreadToRealTime();
            const auto period = std::chrono::microseconds(qint64(periodMs * 1000));
            const char line[] = ":SOUR:FREQ 60.00\r";
            for (int i = 0; i < count; ++i) {
                std::this_thread::sleep_for(period);
                if (::write(slave, line, sizeof line - 1) < 0)
                    break;
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        writer.join();
        waitForTail();
        const std::vector<Line> lines = far.take();
        // Each arrival against the writer's own lateness is not known here:
        // the spread of the arrivals is the figure, as for the program.
        for (size_t i = 1; i < lines.size(); ++i)
            errors.push_back(std::fabs(ms(lines[i].at - lines[i - 1].at) - periodMs));
    }
    ::close(slave);
    ::close(master);
    return errors;
}

struct Figures
{
    double median, p99, max, hold, ratio;
    qint64 held;
};

// 1,000 steps of 10 ms, Single: the far end's figures, and where the error
// comes from inside the program.
std::optional<Figures> shortSteps(frmControl &w, ArmProbe &timer, FarEnd &farEnd, const char *scenario,
                                  const std::vector<double> &bare, const std::vector<double> &rig)
{
    constexpr int Steps = 1000;
    constexpr double Dwell = 10.0;
    farEnd.take();
    timer.take();
    playOnce(w, false, Steps);
    waitForTail();
    const Arrivals a = arrivalsOf(farEnd.take());
    if (int(a.steps.size()) != Steps) {
        std::fprintf(stderr, "%s: expected %d steps at the far end, saw %zu\n", scenario, Steps,
                     a.steps.size());
        return std::nullopt;
    }
    std::vector<double> errors, absErrors;
    for (size_t i = 1; i < a.steps.size(); ++i) {
        errors.push_back(ms(a.steps[i] - a.steps[i - 1]) - Dwell);
        absErrors.push_back(std::fabs(errors.back()));
    }
    Figures f;
    f.median = percentile(errors, 50);
    f.p99 = percentile(absErrors, 99);
    f.max = *std::max_element(absErrors.begin(), absErrors.end());
    f.hold = ms(a.last - a.steps.back());
    const double whole = ms(a.last - a.first);
    const double ideal = Steps * Dwell + Dwell;
    f.ratio = whole / ideal;
    f.held = w.session().pace().stretchedCount;
    const double bareP99 = percentile(bare, 99);

    std::printf("%s: %d steps of %.0f ms, per-step period error at the far end:\n", scenario, Steps, Dwell);
    std::printf("  baseline        bare thread: lateness median %+.3f ms, 99th percentile %.3f ms\n",
                percentile(bare, 50), bareP99);
    if (!rig.empty()) {
        const double rigP99 = percentile(rig, 99);
        std::printf("  rig baseline    bare thread writing to a pseudo-terminal: error at its far end "
                    "99th percentile %.3f ms\n",
                    rigP99);
        std::printf("  (the program's 99th percentile is %.2f x the rig baseline's)\n",
                    rigP99 > 0 ? percentile(absErrors, 99) / rigP99 : 0.0);
    }
    std::printf("  median          %+.3f ms   (goal <= 0.1 ms)\n", f.median);
    std::printf("  99th percentile %.3f ms    (|error|; %.2f x the baseline's, goal <= 1.5 x)\n", f.p99,
                bareP99 > 0 ? f.p99 / bareP99 : 0.0);
    std::printf("  max             %.3f ms\n", f.max);
    std::printf("  last step held  %.3f ms    (ideal %.0f ms: two periods)\n", f.hold, 2 * Dwell);
    std::printf("  whole run       %.3f ms / nominal %.0f ms = ratio %.5f   (goal <= 1.001)\n", whole, ideal,
                f.ratio);
    std::printf("  steps held for the line: %lld   (the first step also carries RUN's commands)\n",
                static_cast<long long>(f.held));
    // Where the error comes from: the work of a tick before it arms the
    // timer (the commands), and the timer waking late. RUN and each played
    // step arm the timer once, in order; RUN's work is not a tick.
    const ArmProbe::Notes n = timer.take();
    std::vector<double> wake, work, inside;
    for (size_t i = 1; i < n.armed.size() && i <= n.tickBegin.size(); ++i) {
        wake.push_back(ms(n.tickBegin[i - 1] - n.armed[i - 1]) - Dwell);
        if (i < n.armed.size())
            work.push_back(ms(n.armed[i] - n.tickBegin[i - 1]));
    }
    for (size_t i = 1; i < n.tickBegin.size(); ++i)
        inside.push_back(ms(n.tickBegin[i] - n.tickBegin[i - 1]) - Dwell);
    if (!inside.empty() && !wake.empty() && !work.empty()) {
        std::printf("  tick to tick    median %+.3f ms, 99th percentile %+.3f ms (inside the program)\n",
                    percentile(inside, 50), percentile(inside, 99));
        std::printf("  timer wake-up   median %+.3f ms, 99th percentile %+.3f ms\n", percentile(wake, 50),
                    percentile(wake, 99));
        std::printf("  work to arming  median %.3f ms, 99th percentile %.3f ms\n", percentile(work, 50),
                    percentile(work, 99));
    }
    return f;
}

int main(int argc, char *argv[])
{
#ifndef Q_OS_UNIX
    std::puts("bench_sequencer_timing: pseudo-terminals are POSIX only");
    return 0;
#else
    bool skipLong = false, hidden = false, socket = false, quietOnly = false;
    for (int i = 1; i < argc; ++i) {
        skipLong = skipLong || std::strcmp(argv[i], "--skip-long") == 0;
        hidden = hidden || std::strcmp(argv[i], "--hidden") == 0;
        socket = socket || std::strcmp(argv[i], "--socket") == 0;
        quietOnly = quietOnly || std::strcmp(argv[i], "--quiet-only") == 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    PortMap ports;
    ports.setDevice(1, QString::fromLocal8Bit(name));
    InstrumentSocket instrument;
    if (socket) {
        if (!instrument.listen()) {
            std::perror("listen");
            return 1;
        }
        ports.set(1, *parsePortTarget(QStringLiteral("TCPIP::127.0.0.1::%1::SOCKET").arg(instrument.port())));
    }

    FakePlatform fake; // message box, file dialog, busy pointer
    RoutedPort port;
    ArmProbe timer;
    Platform platform = fake.bundle(port, timer);
    // The crash path as the program has it; the guardian joins it later.
    CrashSignals crash;
    platform.crash = &crash;
    fake.messages.onShow = [](const FakeMessageBox::Shown &m) {
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    };

    std::optional<FarEnd> far;
    if (!socket)
        far.emplace(master);
    frmControl w(platform);
    w.setPortMap(ports);
    w.Form_Load();
    w.ui().optSystemMode_1->setChecked(true);
    w.optSystemMode_Click(1);
    settle(w);
    if (socket)
        far.emplace(instrument.remote());
    FarEnd &farEnd = *far;
    // The timer is measured here, not the line: at 9600 baud a 10 ms step's
    // commands need about 90 ms and the line would set the pace.
    w.session().onSessionThread([&port] { port.setSettings(QStringLiteral("115200,n,8,1")); });
    if (!hidden)
        w.show();
    QApplication::processEvents();
    std::printf("on %s (%s window), far end read %s\n",
                socket ? "an instrument's socket (TCPIP::...::SOCKET)" : "a fast line",
                hidden ? "hidden" : "shown",
                farEnd.realTime() ? "at real-time priority" : "at normal priority");

    constexpr int Steps = 1000;
    bool sessionRealTime = false;
    const std::vector<double> quietBare = bareSleepLateness(Steps, 10.0, &sessionRealTime);
    std::printf("the session's thread and the baseline's: %s\n",
                sessionRealTime ? "real-time (round-robin)" : "the system's normal scheduling");
    setTable(w, Steps, QStringLiteral("0.01"));
    const std::vector<double> quietRig = socket ? std::vector<double>{} : bareWriterErrors(Steps, 10.0);
    const std::optional<Figures> quiet = shortSteps(w, timer, farEnd, "quiet", quietBare, quietRig);
    if (!quiet)
        return 1;

    // The chart window open beside the table, marking each step as it plays.
    if (!hidden) {
        w.mnuChart_Click();
        QApplication::processEvents();
        const std::optional<Figures> charted = shortSteps(w, timer, farEnd, "quiet, chart open",
                                                          bareSleepLateness(Steps, 10.0), quietRig);
        if (!charted)
            return 1;
        std::printf("  whole-run ratio with the chart open against without: %+.5f   (goal within 0.0005)\n",
                    charted->ratio - quiet->ratio);
    }

    if (!quietOnly && !hidden) {
        setTable(w, Steps, QStringLiteral("0.01"), 100000);
        BusyWindow busy(w);
        busy.start();
        const std::vector<double> busyBare = bareSleepLateness(Steps, 10.0);
        const std::vector<double> busyRig = socket ? std::vector<double>{} : bareWriterErrors(Steps, 10.0);
        busy.stop();
        busy.start();
        const std::optional<Figures> f = shortSteps(w, timer, farEnd, "busy window", busyBare, busyRig);
        busy.stop();
        if (!f)
            return 1;
        std::printf(
            "  the window's work during the run: %d resizes and scrolls of 100,000 rows, one message box\n",
            busy.turns());
        w.resize(1000, 760);
    }

    // The guardian armed: it holds the port beside the program and writes nothing.
    // Last of the short runs: a guardian that ends while the instrument is
    // under remote control takes it for the program's end and switches the
    // output off, which on a socket ends the connection.
    {
        setTable(w, Steps, QStringLiteral("0.01"));
        Guardian guardian(QStringLiteral(QUORRA_GUARD_EXECUTABLE), [](const QString &text) {
            std::fprintf(stderr, "guardian: %s\n", qPrintable(text));
        });
        if (guardian.processId() < 0) {
            std::fprintf(stderr, "the guardian did not start\n");
            return 1;
        }
        const std::optional<Figures> guarded = shortSteps(w, timer, farEnd, "quiet, guardian armed",
                                                          bareSleepLateness(Steps, 10.0), quietRig);
        if (!guarded)
            return 1;
        std::printf("  whole-run ratio with the guardian armed against without: %+.5f   (goal within 0.0005)\n",
                    guarded->ratio - quiet->ratio);
    }

    // A few long periods.
    if (!skipLong) {
        for (const auto &[dwellText, period] :
             {std::pair{QStringLiteral("5.00"), 5000.0}, std::pair{QStringLiteral("20.00"), 20000.0},
              std::pair{QStringLiteral("65.53"), 65530.0}}) {
            setTable(w, 4, dwellText);
            farEnd.take();
            timer.take();
            playOnce(w, true, 4);
            waitForTail();
            const Arrivals l = arrivalsOf(farEnd.take());
            if (l.steps.size() != 4) {
                std::fprintf(stderr, "expected 4 steps at the far end, saw %zu\n", l.steps.size());
                return 1;
            }
            std::printf("3 periods of %.0f ms, error at the far end:", period);
            for (size_t i = 1; i < l.steps.size(); ++i)
                std::printf("  %+.3f ms", ms(l.steps[i] - l.steps[i - 1]) - period);
            std::printf("   (goal within 1 ms)\n");
            const ArmProbe::Notes n = timer.take();
            std::printf("                        tick to tick inside:");
            for (size_t i = 1; i < n.tickBegin.size() && i < 4; ++i)
                std::printf("  %+.3f ms", ms(n.tickBegin[i] - n.tickBegin[i - 1]) - period);
            std::printf("\n");
        }
    }
    w.hide();
    ::close(slave);
    return 0;
#endif
}
