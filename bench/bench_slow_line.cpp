// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The program on a line as slow as a real one: a Continuous program of four
// 10 ms steps played through the program's serial adapter and timer into a
// pseudo-terminal whose far end reads at the line's rate (960 bytes a
// second at 9600 baud, 8N1), as the instrument's UART delivers them.
//
//   bench_slow_line [--minute S] [--soak S] [--repeat N] [--via pty|tcp|rfc2217]
//
//   --minute S  each STOP comes after S seconds of running (default 60)
//   --repeat N  that many runs, each ended by STOP (default 1)
//   --soak S    then one run of S seconds (default 600), resident memory read
//               every 10 s, ended by STOP too; 0 leaves it out
//   --via V     how the program reaches the pseudo-terminal: directly (pty,
//               the default), or through Debian's ser2net as a serial server
//               in raw TCP (tcp) or RFC 2217 (rfc2217) mode
//
// Prints, for every STOP, the time until ":OUTP OFF" has fully arrived at
// the far end (goal: 100 ms at most; through ser2net 150 ms for tcp://, 100
// ms for rfc2217://), and the soak's resident memory after
// its first minute (or tenth, when shorter) and at its end (goal: growth
// under 1 MB). A quick look: bench_slow_line --minute 5 --soak 30.
#include "domain/ports/PortMap.h"
#include "domain/ports/RoutedPort.h"
#include "domain/system/QtTimer.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/source/LineRateReader.h"
#include "sim/source/SourceModel.h"
#include "support/FakePlatform.h"
#include "support/PtyPair.h"
#include "support/SerialServer.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {
constexpr double LineRate = 960.0;

struct Options
{
    double minuteS = 60.0;
    int repeat = 1;
    double soakS = 600.0;
    QString via = QStringLiteral("pty");
};

std::optional<long> rssKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return std::nullopt;
}

std::vector<StepRecord> shortSteps()
{
    std::vector<StepRecord> rows;
    const char *volts[] = {"230.00", "115.00", "207.00", "253.00"};
    const char *phases[] = {"0.00", "90.00", "45.00", "0.00"};
    for (int i = 0; i < 4; ++i) {
        StepRecord r = StepRecord::makeDefault(StepDefaults::label(i + 1));
        r.subItem(StepRecord::Voltage) = QLatin1String(volts[i]);
        r.subItem(StepRecord::StartPhase) = QLatin1String(phases[i]);
        r.subItem(StepRecord::WorkTime) = QStringLiteral("0.01");
        rows.push_back(r);
    }
    return rows;
}

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Bench
{
public:
    explicit Bench(const QString &via) : m_via(via) {}

    bool setUp()
    {
        if (!m_pty.open()) {
            std::fprintf(stderr, "bench_slow_line: cannot create a pseudo-terminal\n");
            return false;
        }
        PortMap ports;
        if (m_via == QLatin1String("pty")) {
            ports.setDevice(1, m_pty.deviceName());
        } else {
            QString error;
            const auto mode = m_via == QLatin1String("tcp") ? SerialServer::Mode::Raw
                                                            : SerialServer::Mode::Rfc2217;
            if (!m_server.start(mode, m_pty.deviceName(), 9600, &error)) {
                std::fprintf(stderr, "bench_slow_line: %s\n", qPrintable(error));
                return false;
            }
            ports.set(1, *parsePortTarget(m_server.target()));
        }
        ports.setDevice(2, QStringLiteral("/nonexistent/bench-slow-line/COM2"));
        m_reader.emplace(m_pty.farEnd(), LineRate);
        m_source.setTranscriptLimit(1);
        Platform platform = m_fake.bundle(m_port, m_timer);
        m_window = std::make_unique<frmControl>(platform);
        m_window->setPortMap(ports);
        m_window->Form_Load();
        if (m_window->noPortAvailable())
            return false;
        m_window->ui().optSystemMode_1->click();
        m_window->ui().livData->replaceAll(shortSteps());
        m_window->ui().cboRunMode->setCurrentText(QStringLiteral("Continuous"));
        collect(300);
        return true;
    }

    ~Bench()
    {
        m_window.reset();
        m_reader.reset();
    }

    // One run of the given length, RSS sampled every tenth of the run or 10 s;
    // returns the STOP latency in ms (negative when ":OUTP OFF" never came).
    double run(double seconds, bool sampleRss)
    {
        m_window->cmdRunStop_Click();
        const double start = LineRateReader::clockMs();
        const double sampleEvery = std::min(10.0, seconds / 10.0) * 1000.0;
        const double warmUpMs = std::min(60.0, seconds / 10.0) * 1000.0;
        double nextSample = start + sampleEvery;
        std::optional<long> startRss;
        while (LineRateReader::clockMs() - start < seconds * 1000.0) {
            collect(20);
            const double now = LineRateReader::clockMs();
            if (sampleRss && now >= nextSample) {
                const auto rss = rssKb();
                if (!startRss && now - start >= warmUpMs) {
                    startRss = rss;
                    m_startRss = rss;
                }
                std::printf("  %6.0f s  rss %ld kB, %lld steps held for the line, %lld bytes arrived\n",
                            (now - start) / 1000.0, rss.value_or(-1),
                            static_cast<long long>(m_window->session().pace().stretchedCount),
                            static_cast<long long>(m_arrivedBytes));
                std::fflush(stdout);
                nextSample += sampleEvery;
            }
        }
        if (sampleRss)
            m_endRss = rssKb();
        const qint64 held = m_window->session().pace().stretchedCount;
        const qint64 dropsBefore = m_reader->dropped();
        const double stopMs = LineRateReader::clockMs();
        m_offAt = -1.0;
        m_window->cmdRunStop_Click();
        for (int i = 0; i < 200 && m_offAt < 0; ++i)
            collect(10);
        collect(50);
        const double latency = m_offAt < 0 ? -1.0 : m_offAt - stopMs;
        std::printf("  run of %.0f s: %lld steps held for the line, %lld bytes dropped at STOP; "
                    "STOP to \":OUTP OFF\" at the far end: %.1f ms\n",
                    seconds, static_cast<long long>(held),
                    static_cast<long long>(m_reader->dropped() - dropsBefore), latency);
        std::fflush(stdout);
        return latency;
    }

    int sourceErrors() const { return m_source.errorCount(); }
    bool relayOff() const { return !m_source.state().relay; }
    std::optional<long> startRss() const { return m_startRss; }
    std::optional<long> endRss() const { return m_endRss; }
    int messages() const { return int(m_fake.messages.shown.size()); }

private:
    void collect(int ms)
    {
        wait(ms);
        const LineRateReader::Arrived a = m_reader->take();
        if (a.bytes.isEmpty())
            return;
        m_arrivedBytes += a.bytes.size();
        m_source.receive(a.bytes, 0.0, LineSettings{});
        m_source.advanceToEnd();
        // When ":OUTP OFF" ends: its CR's arrival.
        m_tail += a.bytes;
        const qsizetype at = m_tail.lastIndexOf(":OUTP OFF\r");
        if (at >= 0 && m_offAt < 0) {
            const qsizetype endInChunk = at + 9 - (m_tail.size() - a.bytes.size());
            if (endInChunk >= 0 && endInChunk < a.ms.size())
                m_offAt = a.ms[endInChunk];
        }
        m_tail = m_tail.right(16);
    }

    QString m_via;
    PtyPair m_pty;
    SerialServer m_server;
    std::optional<LineRateReader> m_reader;
    FakePlatform m_fake;
    RoutedPort m_port;
    QtTimer m_timer;
    std::unique_ptr<frmControl> m_window;
    SourceModel m_source;
    QByteArray m_tail;
    qint64 m_arrivedBytes = 0;
    double m_offAt = -1.0;
    std::optional<long> m_startRss, m_endRss;
};

bool parse(int argc, char *argv[], Options &o)
{
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return false;
        bool ok = false;
        const QString value = QString::fromLocal8Bit(argv[i + 1]);
        if (std::strcmp(argv[i], "--minute") == 0)
            o.minuteS = value.toDouble(&ok), ok = ok && o.minuteS > 0;
        else if (std::strcmp(argv[i], "--soak") == 0)
            o.soakS = value.toDouble(&ok), ok = ok && o.soakS >= 0;
        else if (std::strcmp(argv[i], "--repeat") == 0)
            o.repeat = value.toInt(&ok), ok = ok && o.repeat >= 1;
        else if (std::strcmp(argv[i], "--via") == 0)
            o.via = value, ok = QStringList{"pty", "tcp", "rfc2217"}.contains(value);
        if (!ok)
            return false;
        ++i;
    }
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: bench_slow_line [--minute S] [--repeat N] [--soak S] [--via pty|tcp|rfc2217]\n");
        return 2;
    }
#ifndef Q_OS_UNIX
    std::puts("bench_slow_line: needs POSIX pseudo-terminals; not run here");
    return 0;
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Bench bench(o.via);
    if (!bench.setUp())
        return 1;
    const double goalMs = o.via == QLatin1String("tcp") ? 150.0 : 100.0;
    std::printf("Continuous run of four 10 ms steps at 9600 baud, %s, far end reading %.0f bytes a second\n",
                o.via == QLatin1String("pty")   ? "on a pseudo-terminal"
                : o.via == QLatin1String("tcp") ? "through ser2net, raw TCP"
                                                : "through ser2net, RFC 2217",
                LineRate);
    std::vector<double> latencies;
    for (int i = 0; i < o.repeat; ++i)
        latencies.push_back(bench.run(o.minuteS, false));
    if (o.soakS > 0) {
        std::printf("Soak of %.0f s:\n", o.soakS);
        latencies.push_back(bench.run(o.soakS, true));
    }
    const double worst = *std::max_element(latencies.begin(), latencies.end());
    const bool allArrived = std::none_of(latencies.begin(), latencies.end(), [](double l) { return l < 0; });
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    std::printf("\nSTOP to \":OUTP OFF\" at the far end: median %.1f ms, worst %.1f ms over %zu STOP(s) "
                "(goal <= %.0f ms)\n",
                sorted[sorted.size() / 2], allArrived ? worst : -1.0, latencies.size(), goalMs);
    bool memoryFine = true;
    if (o.soakS > 0 && bench.startRss() && bench.endRss()) {
        const long growth = *bench.endRss() - *bench.startRss();
        memoryFine = growth < 1024;
        std::printf("rss after the warm-up %ld kB, at the end %ld kB, growth %ld kB (goal < 1024 kB)\n",
                    *bench.startRss(), *bench.endRss(), growth);
    }
    std::printf("source errors %d (a cut command counts one per STOP), relay off at the end: %s, "
                "message boxes %d\n",
                bench.sourceErrors(), bench.relayOff() ? "yes" : "no", bench.messages());
    const bool fine = allArrived && worst <= goalMs && memoryFine && bench.relayOff() && bench.messages() == 0
                      && bench.sourceErrors() <= int(latencies.size());
    std::printf("%s\n", fine ? "PASS" : "FAIL");
    return fine ? 0 : 1;
#endif
}
