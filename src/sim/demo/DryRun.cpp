// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/DryRun.h"

#include "domain/instrument/InstrumentSession.h"
#include "domain/ports/PortMap.h"
#include "gui/shell/SessionWait.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"

#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// The operator's pause between start-up, Remote and RUN: the line is idle
// again before the run starts, so the run's timing is its own.
constexpr double OperatorPauseMs = 100.0;
constexpr double DefaultContinuousSeconds = 60.0;

} // namespace

DryRun::DryRun()
    : m_link([this] { return m_clock; }), m_timer(m_clock),
      m_messages([this](const QString &text) { note(QStringLiteral("message box: ") + text); })
{
    QObject::connect(&m_link, &SourceLink::lineCarriedOut, [this](const ReceivedLine &line) {
        if (line.ok())
            m_entries.append({line.ms, Entry::Kind::Received, displayText(line.text)});
        else
            m_entries.append({line.ms, Entry::Kind::Error,
                              displayText(line.text) + QStringLiteral("   <- error: ") + line.error});
    });
    QObject::connect(&m_link, &SourceLink::burstWritten,
                     [this](double, qsizetype, const LineSettings &, const std::optional<StepContext> &step) {
                         if (step)
                             note(QStringLiteral("%1, dwell %2 ms").arg(step->label).arg(step->dwellMs));
                     });
    // The line's rate counts on the same virtual clock as the timer.
    m_port.setClock([this] { return m_clock; });
    m_link.setStepProbe(
        [this]() -> std::optional<StepContext> { return m_window ? playingStep(*m_window) : std::nullopt; });
    if (!m_link.isOpen()) {
        m_error = m_link.errorText();
        return;
    }
    PortMap ports;
    ports.setDevice(1, m_link.farEndPath());
    ports.setDevice(2, QStringLiteral("/nonexistent/quorra-demo/COM2"));
    m_window = std::make_unique<frmControl>(Platform{&m_port, &m_timer, &m_messages, &m_files, &m_busy});
    m_window->setPortMap(ports);
    m_window->Form_Load();
    waitForSession(*m_window);
    m_link.poll();
    if (m_window->noPortAvailable())
        m_error = QStringLiteral("the main window could not open the virtual source's port");
}

DryRun::~DryRun()
{
    m_window.reset();
}

bool DryRun::ready() const
{
    return m_error.isEmpty();
}

QString DryRun::errorText() const
{
    return m_error;
}

void DryRun::load(const QString &path)
{
    openStepFile(*m_window, m_files, path);
    m_link.poll();
}

void DryRun::note(const QString &text)
{
    m_entries.append({m_clock, Entry::Kind::Note, text});
}

void DryRun::advanceTo(double ms)
{
    m_clock = std::max(m_clock, ms);
    m_link.poll();
}

void DryRun::pauseUntilLineIsIdle()
{
    advanceTo(std::max(m_clock, std::ceil(m_link.model().lineFreeAt())) + OperatorPauseMs);
}

DryRun::Result DryRun::play(const PlayOptions &options)
{
    const RunChoice &choice = options.run;
    std::optional<double> limitSeconds = options.limitSeconds;
    Result result;
    if (!options.baud.isEmpty())
        chooseBaudRate(*m_window, options.baud);
    pauseUntilLineIsIdle();
    chooseRemote(*m_window);
    m_link.poll();
    pauseUntilLineIsIdle();
    chooseRunMode(*m_window, choice);

    if (!limitSeconds && choice.mode == RunChoice::Mode::Continuous) {
        limitSeconds = DefaultContinuousSeconds;
        result.ending = QStringLiteral("a Continuous run goes on until STOP: STOP pressed after %1 s")
                            .arg(DefaultContinuousSeconds);
    }
    result.runMs = m_clock;
    const double stopAt = limitSeconds ? result.runMs + *limitSeconds * 1000.0
                                       : std::numeric_limits<double>::infinity();
    note(QStringLiteral("RUN pressed (%1)").arg(choice.text()));
    m_window->cmdRunStop_Click();
    waitForSession(*m_window);
    m_link.poll();
    // Every run goes on at least until its first tick.
    result.refused = !isRunning(*m_window);

    while (isRunning(*m_window)) {
        const auto tick = m_timer.nextTick();
        if (tick && *tick <= stopAt) {
            advanceTo(*tick);
            m_timer.fire();
            waitForSession(*m_window);
            m_link.poll();
            continue;
        }
        if (!tick) {
            // Nothing will ever tick again: the window waits for STOP.
            const auto step = playingStep(*m_window);
            const QString held = step ? QStringLiteral("%1 is held until STOP (dwell 0 ms)").arg(step->label)
                                      : QStringLiteral("no checked step was played; the run waits for STOP");
            if (limitSeconds) {
                advanceTo(stopAt);
                result.ending = held + QStringLiteral(": STOP pressed after %1 s").arg(*limitSeconds);
            } else {
                result.ending = held + QStringLiteral(": STOP pressed at once");
            }
        } else {
            advanceTo(stopAt);
            if (result.ending.isEmpty())
                result.ending = QStringLiteral("STOP pressed after %1 s").arg(*limitSeconds);
        }
        note(QStringLiteral("STOP pressed"));
        m_window->cmdRunStop_Click();
        waitForSession(*m_window);
        m_link.poll();
        break;
    }
    result.stopMs = m_clock;
    note(QStringLiteral("status: ") + m_window->statusText());
    m_link.finish();

    result.lastLineMs = m_link.model().lineFreeAt();
    result.errorCount = m_link.model().errorCount();
    result.stretched = m_link.stretchedSteps();
    result.heldCount = m_window->session().pace().stretchedCount;
    result.messages = m_messages.shown;
    result.transcript = m_entries;
    std::stable_sort(result.transcript.begin(), result.transcript.end(),
                     [](const Entry &a, const Entry &b) { return a.ms < b.ms; });
    return result;
}

void DryRun::print(QTextStream &out, const Result &result)
{
    out << "        ms  received by the source (-- what the program did)\n";
    for (const Entry &e : result.transcript) {
        out << QString::asprintf("%10.1f  ", e.ms);
        if (e.kind == Entry::Kind::Note)
            out << "-- ";
        out << e.text << '\n';
    }
    out << '\n';
    if (result.stretched.isEmpty()) {
        out << "Steps stretched by the line: none\n";
    } else {
        out << "Steps stretched by the line (the commands take longer than the dwell):\n";
        for (const StretchedStep &s : result.stretched)
            out << "  " << s.text() << '\n';
    }
    out << "Steps the program held past their dwell until the line had carried their commands: "
        << result.heldCount << '\n';
    out << "Errors reported by the source: " << result.errorCount << '\n';
    if (result.refused) {
        out << "Run refused: " << result.messages.value(result.messages.size() - 1) << '\n';
        return;
    }
    if (!result.ending.isEmpty())
        out << "Run ended: " << result.ending << '\n';
    out << QString::asprintf("Duration: %.3f s from RUN until \"Now Stop\"; the last line arrived "
                             "%.1f ms after RUN\n",
                             (result.stopMs - result.runMs) / 1000.0, result.lastLineMs - result.runMs);
}

int runDryRun(const QString &path, const PlayOptions &options, QTextStream &out)
{
    DryRun dry;
    if (!dry.ready()) {
        out << "quorra-demo: " << dry.errorText() << '\n';
        return 2;
    }
    dry.load(path);
    const int steps = stepTable(dry.window())->count();
    if (steps == 0) {
        out << "quorra-demo: " << path << " gave no steps to play\n";
        for (const QString &message : dry.messages())
            out << "  " << message << '\n';
        return 2;
    }
    out << "Dry run of " << path << ": " << steps << " steps, " << options.run.text() << ", "
        << (options.baud.isEmpty() ? QStringLiteral("9600") : options.baud) << " baud, virtual time\n\n";
    const DryRun::Result result = dry.play(options);
    DryRun::print(out, result);
    out.flush();
    if (result.refused)
        return 2;
    return result.errorCount > 0 ? 1 : 0;
}
