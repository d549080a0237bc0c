// Load: a Continuous program of 10 ms steps played for minutes against the
// virtual source. The real main window writes through its real serial
// adapter into a pseudo-terminal, as in the demo; the source checks every
// line it receives against what the window wrote and against the program's
// cyclic sequence, and the process's resident memory is read after a
// second of running, every minute, and at the end.
//
//   bench_soak [--seconds S] [--steps N] [--virtual] [--hidden]
//
//   --seconds S  press STOP after S seconds (default 20; 600 for ten minutes)
//   --steps N    press STOP once N steps have been played (no time limit
//                unless --seconds is given too)
//   --virtual    the window's timer on a virtual clock: each tick comes as
//                soon as the last one is done (the serial path stays real)
//   --hidden     leave the window hidden (it is shown offscreen by default)
//
// Exit status 1 when a line was lost, reordered or unexpected, the source
// refused a line, the program showed a message or the run stalled.
#include "platform/PortNames.h"
#include "platform/QtSerialPort.h"
#include "platform/QtTimer.h"
#include "shell/frmControl.h"
#include "demo/HeadlessServices.h"
#include "source/PtyBridge.h"
#include "source/SourceModel.h"
#include "source/VirtualTimer.h"
#include "demo/WindowDriver.h"
#include "source/WireTiming.h"
#include "steps/StepListView.h"
#include "support/TapPort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {
constexpr int TickMs = 10;

struct Row
{
    const char *output, *range, *volts, *hertz, *startPhase, *stopPhase;
};
// Step3 repeats Step2's stop phase and Step1 repeats Step4's start phase,
// so the sequencer leaves those commands out (Step1 only from the second
// cycle on).
constexpr Row Program[] = {
    {"On", "Auto", "230.00", "50.00", "0.00", "360.00"},
    {"On", "Low", "115.00", "60.00", "90.00", "270.00"},
    {"Off", "High", "207.00", "49.50", "45.00", "270.00"},
    {"On", "Auto", "253.00", "50.50", "0.00", "180.00"},
};
constexpr int Rows = int(std::size(Program));

std::vector<StepRecord> programSteps()
{
    std::vector<StepRecord> steps;
    for (int i = 0; i < Rows; ++i) {
        const Row &r = Program[i];
        StepRecord s;
        s.checked = true;
        s.label = StepDefaults::label(i + 1);
        for (int field = 0; const char *text : {r.output, r.range, r.volts, r.hertz, r.startPhase,
                                                r.stopPhase, "0.01"})
            s.values[size_t(field++)] = QString::fromLatin1(text);
        steps.push_back(s);
    }
    return steps;
}

// A field of /proc/self/status in kB ("VmRSS:"); none where there is no such file.
std::optional<long> statusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return std::nullopt;
}

std::string kbText(std::optional<long> kb)
{
    return kb ? std::to_string(*kb) + " kB" : std::string("n/a");
}

// Keeps the first few faults for the report.
class Examples
{
public:
    void add(const QString &text)
    {
        if (m_texts.size() < 10)
            m_texts << text;
    }
    void print(const char *heading) const
    {
        if (m_texts.isEmpty())
            return;
        std::printf("%s\n", heading);
        for (const QString &t : m_texts)
            std::printf("  %s\n", qPrintable(t));
    }

private:
    QStringList m_texts;
};

// The lines a run of the program must give, in order: whatever was sent
// before RUN, RUN's two opening commands, the steps round and round, and
// STOP's two closing commands. A step sends its start and stop phase only
// when they differ from the step played before it. Only a few lines ahead
// are kept, so a run of any length costs the same memory.
class ExpectedRun
{
public:
    explicit ExpectedRun(const std::vector<QByteArray> &prelude)
    {
        for (const QByteArray &line : prelude)
            m_next.push_back({line, 0, false});
        m_next.push_back({":SOUR:TURN OFF", 0, false});
        m_next.push_back({":OUTP ON", 0, false});
    }

    // STOP was pressed after this many steps had been played.
    void stopAfter(qint64 steps)
    {
        if (m_stopAfter >= 0)
            return;
        m_stopAfter = steps;
        while (!m_next.empty() && m_next.back().step > steps)
            m_next.pop_back();
        m_generated = std::min(m_generated, steps);
    }

    // Checks the next line; true when it ends a step. A line found a little
    // further on counts the ones passed over as skipped; a line found
    // nowhere ahead is unexpected and consumes nothing.
    bool check(const QByteArray &line)
    {
        lookAhead();
        for (size_t i = 0; i < m_next.size(); ++i) {
            if (m_next[i].text != line)
                continue;
            if (i > 0) {
                m_skipped += qint64(i);
                m_examples.add(QStringLiteral("expected \"%1\", got \"%2\" (%3 line(s) passed over)")
                                   .arg(QString::fromLatin1(m_next[0].text), QString::fromLatin1(line))
                                   .arg(i));
            }
            const bool endsStep = m_next[i].endsStep;
            m_next.erase(m_next.begin(), m_next.begin() + qsizetype(i) + 1);
            if (endsStep)
                ++m_steps;
            return endsStep;
        }
        ++m_unexpected;
        m_examples.add(QStringLiteral("unexpected \"%1\" (expected \"%2\")")
                           .arg(QString::fromLatin1(line),
                                m_next.empty() ? QStringLiteral("nothing more")
                                               : QString::fromLatin1(m_next[0].text)));
        return false;
    }

    qint64 steps() const { return m_steps; }
    qint64 skipped() const { return m_skipped; }
    qint64 unexpected() const { return m_unexpected; }
    // Every expected line up to STOP's last one has been seen.
    bool complete()
    {
        lookAhead();
        return m_stopGenerated && m_next.empty();
    }
    qint64 missingAtEnd()
    {
        lookAhead();
        return qint64(m_next.size());
    }
    const Examples &examples() const { return m_examples; }

private:
    struct Expected
    {
        QByteArray text;
        qint64 step; // 0 before the first step
        bool endsStep;
    };
    static constexpr size_t LookAhead = 16;

    void lookAhead()
    {
        while (m_next.size() < LookAhead && !m_stopGenerated) {
            if (m_stopAfter >= 0 && m_generated >= m_stopAfter) {
                m_next.push_back({":SOUR:TURN OFF", m_generated + 1, false});
                m_next.push_back({":OUTP OFF", m_generated + 1, false});
                m_stopGenerated = true;
            } else {
                generateStep();
            }
        }
    }

    void generateStep()
    {
        const int row = int(m_generated % Rows);
        const Row &r = Program[row];
        const Row *previous = m_generated == 0 ? nullptr : &Program[(row + Rows - 1) % Rows];
        const qint64 step = ++m_generated;
        auto add = [&](const char *header, const char *value, bool last = false) {
            m_next.push_back({QByteArray(header) + value, step, last});
        };
        if (!previous || std::strcmp(r.startPhase, previous->startPhase) != 0)
            add(":SOUR:STPH ", r.startPhase);
        if (!previous || std::strcmp(r.stopPhase, previous->stopPhase) != 0)
            add(":SOUR:SPPH ", r.stopPhase);
        add(":SOUR:FREQ ", r.hertz);
        add(":SOUR:RANG ", r.range);
        add(":SOUR:VOLT ", r.volts);
        add(":SOUR:TURN ", r.output, true);
    }

    std::deque<Expected> m_next;
    qint64 m_generated = 0;
    qint64 m_stopAfter = -1;
    bool m_stopGenerated = false;
    qint64 m_steps = 0, m_skipped = 0, m_unexpected = 0;
    Examples m_examples;
};

// What the window wrote against what the source received, line by line:
// a line overtaken by a later one is held aside; if it turns up after all
// it was reordered, if not it was lost. A received line nobody sent is extra.
class Ledger
{
public:
    void sent(const QByteArray &line)
    {
        m_inFlight.push_back({m_sent++, line});
    }

    void received(const QByteArray &line)
    {
        ++m_received;
        const size_t window = std::min(m_inFlight.size(), Window);
        for (size_t i = 0; i < window; ++i) {
            if (m_inFlight[i].text != line)
                continue;
            for (size_t j = 0; j < i; ++j) {
                m_overtaken.emplace(m_inFlight[j].number, m_inFlight[j].text);
                m_examples.add(QStringLiteral("sent line %1 \"%2\" overtaken by \"%3\"")
                                   .arg(m_inFlight[j].number + 1)
                                   .arg(QString::fromLatin1(m_inFlight[j].text), QString::fromLatin1(line)));
            }
            m_inFlight.erase(m_inFlight.begin(), m_inFlight.begin() + qsizetype(i) + 1);
            forgetOldest();
            return;
        }
        for (auto it = m_overtaken.begin(); it != m_overtaken.end(); ++it) {
            if (it->second == line) {
                ++m_reordered;
                m_overtaken.erase(it);
                return;
            }
        }
        ++m_extra;
        m_examples.add(QStringLiteral("received \"%1\", which was not sent").arg(QString::fromLatin1(line)));
    }

    qint64 sentCount() const { return m_sent; }
    qint64 receivedCount() const { return m_received; }
    size_t inFlight() const { return m_inFlight.size(); }
    // Sent and never received (counted once the source has caught up).
    qint64 lost() const { return m_forgotten + qint64(m_overtaken.size() + m_inFlight.size()); }
    qint64 reordered() const { return m_reordered; }
    qint64 extra() const { return m_extra; }
    const Examples &examples() const { return m_examples; }

private:
    struct Sent
    {
        qint64 number;
        QByteArray text;
    };
    static constexpr size_t Window = 64;
    static constexpr size_t MaxOvertaken = 10000;

    // Keeps a broken run's bookkeeping bounded: the oldest overtaken lines
    // are given up as lost.
    void forgetOldest()
    {
        while (m_overtaken.size() > MaxOvertaken) {
            m_overtaken.erase(m_overtaken.begin());
            ++m_forgotten;
        }
    }

    std::deque<Sent> m_inFlight;
    std::map<qint64, QByteArray> m_overtaken;
    qint64 m_sent = 0, m_received = 0, m_reordered = 0, m_extra = 0, m_forgotten = 0;
    Examples m_examples;
};

// Splits what the window's port took into lines.
class LineSplitter
{
public:
    explicit LineSplitter(std::function<void(const QByteArray &)> onLine) : m_onLine(std::move(onLine)) {}
    void operator()(const QString &text)
    {
        m_partial += text.toLatin1(); // what the port put on the wire
        for (qsizetype end; (end = m_partial.indexOf('\r')) >= 0;) {
            m_onLine(m_partial.left(end));
            m_partial.remove(0, end + 1);
        }
    }

private:
    std::function<void(const QByteArray &)> m_onLine;
    QByteArray m_partial;
};

struct Options
{
    std::optional<double> seconds;
    std::optional<qint64> steps;
    bool virtualClock = false;
    bool hidden = false;
};

// The window, its port and timer, the cable and the source, and the checks.
//
// The source carries out each line as soon as it has been read. It still
// times the bytes at the window's line settings, but only to report what a
// real line would make of them: at 9600 baud a step's commands take far
// longer than 10 ms, and holding lines back until their bytes would have
// arrived would only measure that ever-growing backlog.
class Soak
{
public:
    explicit Soak(const Options &options)
        : m_options(options),
          m_tap(m_serial, LineSplitter([this](const QByteArray &line) { onWritten(line); })),
          m_messages([this](const QString &text) {
              ++m_messageCount;
              std::fprintf(stderr, "message box: %s\n", qPrintable(text));
          })
    {
        m_wall.start();
        if (options.virtualClock) {
            m_timer = std::make_unique<VirtualTimer>(m_virtualMs);
            m_serial.setClock([this] { return m_virtualMs; });
        }
        else
            m_timer = std::make_unique<QtTimer>();
        QObject::connect(&m_bridge, &PtyBridge::readyRead, [this] { poll(); });
        m_model.setTranscriptLimit(1);
    }

    ~Soak()
    {
        m_window.reset();
        clearSerialDeviceOverrides();
    }

    double nowMs() const
    {
        return m_options.virtualClock ? m_virtualMs : double(m_wall.nsecsElapsed()) / 1e6;
    }

    // Opens the cable and starts the window with Remote chosen and the
    // program loaded; false (with the reason printed) when that fails.
    bool setUp()
    {
        if (!m_bridge.isOpen()) {
            std::fprintf(stderr, "bench_soak: %s\n", qPrintable(m_bridge.errorText()));
            return false;
        }
        setSerialDeviceOverride(1, m_bridge.farEndPath());
        setSerialDeviceOverride(2, QStringLiteral("/nonexistent/bench-soak/COM2"));
        m_bridge.setWatching(!m_options.virtualClock);
        m_window = std::make_unique<frmControl>(Platform{&m_tap, m_timer.get(), &m_messages, &m_files, &m_busy});
        m_window->Form_Load();
        if (m_window->noPortAvailable()) {
            std::fprintf(stderr, "bench_soak: the window could not open the source's port\n");
            return false;
        }
        if (!m_options.hidden)
            m_window->show();
        pause();
        chooseRemote(*m_window);
        pause();
        m_window->ui().livData->replaceAll(programSteps());
        chooseRunMode(*m_window, {RunChoice::Mode::Continuous, 1});
        pause();
        return true;
    }

    void pressRun()
    {
        m_sentCheck.emplace(std::vector<QByteArray>{});
        // Lines written before RUN that the source has not read yet.
        std::vector<QByteArray> prelude(m_beforeRun.begin() + qsizetype(m_receivedBeforeRun), m_beforeRun.end());
        m_sourceCheck.emplace(prelude);
        m_runMs = nowMs();
        m_runWallMs = double(m_wall.nsecsElapsed()) / 1e6;
        m_window->cmdRunStop_Click();
        if (m_options.virtualClock)
            poll();
    }

    bool running() const { return m_window && isRunning(*m_window); }
    bool stopped() const { return m_stopMs >= 0; }

    void pressStop(const QString &why)
    {
        if (stopped())
            return;
        m_stopReason = why;
        takeStartRss(); // a run shorter than the warm-up
        const qint64 played = m_sentCheck->steps();
        m_sentCheck->stopAfter(played);
        m_sourceCheck->stopAfter(played);
        m_stopMs = nowMs();
        m_stopWallMs = double(m_wall.nsecsElapsed()) / 1e6;
        m_backlogMs = m_model.lineFreeAt() - m_stopMs;
        if (running())
            m_window->cmdRunStop_Click();
        if (m_options.virtualClock)
            poll();
    }

    // Once a second of the run: the resident memory after the first second,
    // and every minute after that.
    void sample()
    {
        const double seconds = (nowMs() - m_runMs) / 1000.0;
        if (seconds >= 1.0)
            takeStartRss();
        if (seconds >= m_nextSampleS) {
            std::printf("  %6.0f s: rss %s, %lld steps played, %lld received by the source\n", seconds,
                        kbText(statusKb("VmRSS:")).c_str(), static_cast<long long>(m_sentCheck->steps()),
                        static_cast<long long>(m_sourceCheck->steps()));
            std::fflush(stdout);
            m_nextSampleS += 60.0;
        }
    }

    // Steps the source has received (a stall shows here first).
    qint64 stepsReceived() const { return m_sourceCheck ? m_sourceCheck->steps() : 0; }
    bool stepGoalReached() const
    {
        return m_options.steps && m_sentCheck && m_sentCheck->steps() >= *m_options.steps;
    }
    bool caughtUp() { return m_ledger.inFlight() == 0 && m_sourceCheck->complete(); }

    // Reads what the window wrote and carries it out.
    void poll()
    {
        const QByteArray bytes = m_bridge.readAvailable();
        if (bytes.isEmpty())
            return;
        m_model.receive(bytes, nowMs(), m_bridge.lineSettings());
        if (m_sourceCheck && !stopped())
            m_bytesInRun += bytes.size();
        for (const ReceivedLine &line : m_model.advanceToEnd()) {
            if (!line.ok())
                m_sourceErrors.add(displayText(line.text) + QStringLiteral(": ") + line.error);
            m_ledger.received(line.text);
            if (m_sourceCheck)
                m_sourceCheck->check(line.text);
            else
                ++m_receivedBeforeRun;
        }
    }

    // Moves the virtual clock to the next tick and plays it; false when no
    // tick will come.
    bool tickVirtually()
    {
        auto &timer = static_cast<VirtualTimer &>(*m_timer);
        const auto due = timer.nextTick();
        if (!due)
            return false;
        m_virtualMs = std::max(m_virtualMs, *due);
        timer.fire();
        poll();
        QCoreApplication::processEvents(); // repaints and deferred work, as between real ticks
        return true;
    }

    // Prints the figures; returns the exit status.
    int report()
    {
        const std::optional<long> endRss = statusKb("VmRSS:");
        const std::optional<long> peakRss = statusKb("VmHWM:");
        const double runS = (m_stopMs - m_runMs) / 1000.0;
        const qint64 played = m_sentCheck->steps();
        const qint64 received = m_sourceCheck->steps();

        std::printf("\nRun ended: %s\n", qPrintable(m_stopReason));
        std::printf("duration            %.3f s from RUN to STOP (%s)", runS,
                    m_options.virtualClock ? "virtual time" : "real time");
        if (m_options.virtualClock)
            std::printf(", played in %.3f s of real time", (m_stopWallMs - m_runWallMs) / 1000.0);
        std::printf("\n");
        std::printf("steps played        %lld by the window, %lld received whole by the source\n",
                    static_cast<long long>(played), static_cast<long long>(received));
        std::printf("lines sent          %lld\n", static_cast<long long>(m_ledger.sentCount()));
        std::printf("lines received      %lld\n", static_cast<long long>(m_ledger.receivedCount()));
        std::printf("lost                %lld\n", static_cast<long long>(m_ledger.lost()));
        std::printf("reordered           %lld\n", static_cast<long long>(m_ledger.reordered()));
        std::printf("extra               %lld (received, never sent)\n", static_cast<long long>(m_ledger.extra()));
        const qint64 sentOff = m_sentCheck->skipped() + m_sentCheck->unexpected() + m_sentCheck->missingAtEnd();
        const qint64 sourceOff = m_sourceCheck->skipped() + m_sourceCheck->unexpected() + m_sourceCheck->missingAtEnd();
        std::printf("out of sequence     %lld written by the window, %lld at the source "
                    "(against the program's own cycle)\n",
                    static_cast<long long>(sentOff), static_cast<long long>(sourceOff));
        std::printf("source errors       %d\n", m_model.errorCount());
        std::printf("message boxes       %d\n", m_messageCount);

        const long growth = m_startRss && endRss ? *endRss - *m_startRss : 0;
        std::printf("rss                 start %s, end %s, growth %s, peak %s\n", kbText(m_startRss).c_str(),
                    kbText(endRss).c_str(), m_startRss && endRss ? (std::to_string(growth) + " kB").c_str() : "n/a",
                    kbText(peakRss).c_str());

        // Each step is held one tick; the last of each cycle two, as the
        // rewind tick plays nothing.
        const double idealPerS = Rows * 1000.0 / ((Rows + 1) * TickMs);
        const double achieved = runS > 0 ? double(played) / runS : 0.0;
        std::printf("steps per second    %.2f, ideal %.2f (%d steps per %d ticks of %d ms), ratio %.4f\n",
                    achieved, idealPerS, Rows, Rows + 1, TickMs, achieved / idealPerS);

        const double charMs = characterMs(m_model.line());
        if (received > 0)
            std::printf("on a real line      %s: %.1f ms of commands per step against a %d ms dwell; "
                        "%.1f s still to send at STOP\n",
                        qPrintable(lineSettingsText(m_model.line())),
                        double(m_bytesInRun) / double(received) * charMs, TickMs,
                        std::max(0.0, m_backlogMs) / 1000.0);

        m_ledger.examples().print("Transport faults (first ten):");
        m_sentCheck->examples().print("Written out of sequence (first ten):");
        m_sourceCheck->examples().print("Received out of sequence (first ten):");
        m_sourceErrors.print("Refused by the source (first ten):");

        const bool fine = played > 0 && m_ledger.lost() == 0 && m_ledger.reordered() == 0
                          && m_ledger.extra() == 0 && sentOff == 0 && sourceOff == 0
                          && m_model.errorCount() == 0 && m_messageCount == 0 && !m_stalled;
        std::printf("%s\n", fine ? "PASS" : "FAIL");
        return fine ? 0 : 1;
    }

    void markStalled() { m_stalled = true; }

    // Called inside the tick that played the last step asked for.
    std::function<void()> onStepGoal;

private:
    void onWritten(const QByteArray &line)
    {
        m_ledger.sent(line);
        if (m_sentCheck) {
            if (m_sentCheck->check(line) && stepGoalReached() && onStepGoal)
                onStepGoal();
        } else
            m_beforeRun.push_back(line);
    }

    void takeStartRss()
    {
        if (m_startTaken)
            return;
        m_startRss = statusKb("VmRSS:");
        m_startTaken = true;
        std::printf("  %6.1f s: rss %s (start)\n", (nowMs() - m_runMs) / 1000.0, kbText(m_startRss).c_str());
        std::fflush(stdout);
    }

    // The operator's pause between actions: the source reads each one apart.
    void pause()
    {
        if (m_options.virtualClock) {
            m_virtualMs += 100.0;
            poll();
            QCoreApplication::processEvents();
            return;
        }
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    }

    Options m_options;
    QElapsedTimer m_wall;
    double m_virtualMs = 0.0;

    PtyBridge m_bridge;
    SourceModel m_model;
    QtSerialPort m_serial;
    TapPort m_tap;
    std::unique_ptr<Timer> m_timer;
    ConsoleMessageBox m_messages;
    ScriptedFileDialog m_files;
    NoBusyPointer m_busy;
    std::unique_ptr<frmControl> m_window;

    Ledger m_ledger;
    std::vector<QByteArray> m_beforeRun;
    size_t m_receivedBeforeRun = 0;
    std::optional<ExpectedRun> m_sentCheck, m_sourceCheck;
    Examples m_sourceErrors;
    int m_messageCount = 0;
    bool m_stalled = false;

    double m_runMs = 0.0, m_runWallMs = 0.0;
    double m_stopMs = -1.0, m_stopWallMs = 0.0;
    double m_backlogMs = 0.0;
    qint64 m_bytesInRun = 0;
    QString m_stopReason;
    std::optional<long> m_startRss;
    bool m_startTaken = false;
    double m_nextSampleS = 60.0;
};

QString limitText(const Options &o)
{
    QStringList parts;
    if (o.seconds)
        parts << QStringLiteral("%1 s").arg(*o.seconds);
    if (o.steps)
        parts << QStringLiteral("%1 steps").arg(*o.steps);
    return parts.join(QStringLiteral(" or "));
}

// Real time: the window's own QtTimer ticks; the event loop carries the
// bytes to the source between ticks.
void runRealTime(Soak &soak, const Options &o)
{
    QEventLoop loop;
    auto stop = [&](const QString &why) {
        if (soak.stopped())
            return;
        soak.pressStop(why);
        // Let the last lines reach the source.
        auto *drain = new QTimer(&loop);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(drain, &QTimer::timeout, [&soak, &loop, waited] {
            if (soak.caughtUp() || waited.elapsed() > 3000)
                loop.quit();
        });
        drain->start(50);
    };

    QTimer everySecond;
    qint64 lastSteps = -1;
    int stillSeconds = 0;
    QObject::connect(&everySecond, &QTimer::timeout, [&] {
        if (soak.stopped())
            return;
        soak.sample();
        if (!soak.running()) {
            soak.markStalled();
            stop(QStringLiteral("the run ended by itself"));
            return;
        }
        stillSeconds = soak.stepsReceived() == lastSteps ? stillSeconds + 1 : 0;
        lastSteps = soak.stepsReceived();
        if (stillSeconds >= 3) {
            soak.markStalled();
            stop(QStringLiteral("stalled: no step reached the source for 3 s"));
        }
    });

    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer); // a coarse timer may end 5 % early
    if (o.seconds) {
        QObject::connect(&limit, &QTimer::timeout, [&] { stop(QStringLiteral("STOP pressed after %1 s").arg(*o.seconds)); });
        limit.start(int(*o.seconds * 1000));
    }
    // STOP goes in between ticks, never inside one.
    soak.onStepGoal = [&] {
        QTimer::singleShot(0, &loop, [&] { stop(QStringLiteral("STOP pressed after %1 steps").arg(*o.steps)); });
    };

    soak.pressRun();
    everySecond.setTimerType(Qt::PreciseTimer); // the start figure after a full second
    everySecond.start(1000);
    loop.exec();
}

// Virtual time: each tick comes as soon as the last is done.
void runVirtual(Soak &soak, const Options &o)
{
    soak.pressRun();
    const double runMs = soak.nowMs();
    double nextSecond = runMs + 1000.0;
    while (soak.running()) {
        if (soak.stepGoalReached()) {
            soak.pressStop(QStringLiteral("STOP pressed after %1 steps").arg(*o.steps));
            break;
        }
        if (o.seconds && soak.nowMs() + TickMs > runMs + *o.seconds * 1000.0) {
            soak.pressStop(QStringLiteral("STOP pressed after %1 s (virtual)").arg(*o.seconds));
            break;
        }
        if (!soak.tickVirtually()) {
            soak.markStalled();
            break;
        }
        if (soak.nowMs() >= nextSecond) {
            soak.sample();
            nextSecond += 1000.0;
        }
    }
    if (!soak.stopped()) {
        soak.markStalled();
        soak.pressStop(QStringLiteral("the run ended by itself"));
    }
    soak.poll();
}

bool parse(int argc, char *argv[], Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seconds") == 0 && hasValue) {
            bool ok = false;
            o.seconds = QString::fromLocal8Bit(argv[++i]).toDouble(&ok);
            if (!ok || *o.seconds <= 0 || *o.seconds > 7 * 24 * 3600)
                return false;
        } else if (std::strcmp(argv[i], "--steps") == 0 && hasValue) {
            bool ok = false;
            o.steps = QString::fromLocal8Bit(argv[++i]).toLongLong(&ok);
            if (!ok || *o.steps < 1)
                return false;
        } else if (std::strcmp(argv[i], "--virtual") == 0) {
            o.virtualClock = true;
        } else if (std::strcmp(argv[i], "--hidden") == 0) {
            o.hidden = true;
        } else {
            return false;
        }
    }
    if (!o.seconds && !o.steps)
        o.seconds = 20.0;
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_soak [--seconds S] [--steps N] [--virtual] [--hidden]\n");
        return 2;
    }
#ifndef Q_OS_UNIX
    std::puts("bench_soak: the virtual source's cable is a POSIX pseudo-terminal; not run here");
    return 0;
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Soak soak(options);
    if (!soak.setUp())
        return 1;
    std::printf("Continuous run of %d steps of %d ms (%s clock), STOP after %s; "
                "rss every minute:\n",
                Rows, TickMs, options.virtualClock ? "virtual" : "real", qPrintable(limitText(options)));
    std::fflush(stdout);
    if (options.virtualClock)
        runVirtual(soak, options);
    else
        runRealTime(soak, options);
    return soak.report();
#endif
}
