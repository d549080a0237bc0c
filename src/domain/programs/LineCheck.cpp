// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/programs/LineCheck.h"

#include "domain/instrument/Commands.h"
#include "domain/instrument/SequencerCore.h"
#include "domain/steps/LenientNumber.h"
#include "domain/steps/StepTableModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
TimelineStep timelineStep(const StepRecord &row, qint64 startMs)
{
    TimelineStep step;
    step.startMs = startMs;
    step.volts = lenientNumber(row.subItem(StepRecord::Voltage));
    step.hertz = lenientNumber(row.subItem(StepRecord::Frequency));
    step.outputOn = row.subItem(StepRecord::Output).trimmed().compare(QLatin1String("off"), Qt::CaseInsensitive)
                    != 0;
    step.label = row.label;
    return step;
}

} // namespace

QString secondsText(double ms)
{
    return QString::number(ms / 1000.0, 'f', 3) + QStringLiteral(" s");
}

QString lengthText(qint64 ms)
{
    const qint64 h = ms / 3600000, m = ms / 60000 % 60;
    const double s = static_cast<double>(ms % 60000) / 1000.0;
    QString text = QStringLiteral("%1:%2")
                       .arg(m, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
                       .arg(QString::number(s, 'f', 3).rightJustified(6, QLatin1Char('0')));
    if (h > 0)
        text.prepend(QString::number(h) + QLatin1Char(':'));
    return text;
}

LineCheck checkLine(const StepTableModel &steps, const LineSettings &line, int cycles)
{
    LineChecker checker(steps, line, cycles);
    checker.advance(std::numeric_limits<qint64>::max());
    return checker.takeResult();
}

LineChecker::LineChecker(const StepTableModel &steps, const LineSettings &line, int cycles, Detail detail)
    : m_steps(steps), m_charMs(characterMs(line)), m_detail(detail)
{
    m_run.StepTotal = steps.count();
    m_run.RunCycles = std::max(1, cycles);
    m_run.CyclesLeft = m_run.RunCycles;
    m_run.CurrentStep = 1;
    m_run.LastSentStep = 0;
    // RUN's commands go out just before the first step's.
    m_waitingMs = commandsLineMs({Command::Turn + Command::Off, Command::OutputRelay + Command::On}, m_charMs);
    const auto checked = std::count_if(steps.rows().begin(), steps.rows().end(),
                                       [](const StepRecord &r) { return r.checked; });
    m_expectedSteps = static_cast<qint64>(checked) * m_run.RunCycles;
    m_done = m_run.StepTotal == 0; // RUN plays nothing
}

double LineChecker::progress() const
{
    if (m_done || m_expectedSteps == 0)
        return 1.0;
    // All steps played, the end not reached yet: not quite done.
    return std::min(0.999, static_cast<double>(m_check.stepsPlayed) / static_cast<double>(m_expectedSteps));
}

bool LineChecker::advance(qint64 steps)
{
    Timeline &timeline = m_check.timeline;
    const bool keepTimeline = m_detail == Detail::Timeline;
    for (qint64 n = 0; !m_done && n < steps; ++n) {
        const SequencerStep step = advanceSequencer(m_run, m_steps);
        if (step.action == SequencerStep::Action::EndOfRun) {
            m_done = true;
            break;
        }
        if (step.action == SequencerStep::Action::Rewind) {
            // The timer keeps the last step's period: one more of it, or,
            // never armed, no tick at all.
            if (m_lastPeriodMs <= 0) {
                timeline.endless = true;
                m_done = true;
                break;
            }
            m_now += m_lastPeriodMs;
            if (keepTimeline)
                timeline.steps.last().heldMs += m_lastPeriodMs;
            continue;
        }
        const StepRecord &row = m_steps.row(step.position);
        const double lineMs = m_waitingMs + commandsLineMs(step.commands, m_charMs);
        m_waitingMs = 0;
        ++m_check.stepsPlayed;
        m_lastPeriodMs = step.periodMs;
        if (step.periodMs == 0) {
            // No tick follows: the run stays here until STOP.
            timeline.steps.append(timelineStep(row, m_now));
            timeline.endless = true;
            m_done = true;
            break;
        }
        qint64 heldMs = step.periodMs;
        const bool stretched = lineMs > step.periodMs;
        if (stretched) {
            // The tick that ends the step waits for the line.
            heldMs = static_cast<qint64>(std::ceil(lineMs));
            m_check.stretched.append({step.position, row.label, step.periodMs, lineMs});
        }
        if (keepTimeline) {
            TimelineStep played = timelineStep(row, m_now);
            played.heldMs = heldMs;
            played.stretched = stretched;
            timeline.steps.append(played);
        }
        m_now += heldMs;
    }
    timeline.lengthMs = m_now;
    return m_done;
}

QString lineCheckReport(const LineCheck &check, const LineSettings &line)
{
    QString text;
    const QString rate = QString::number(line.baud) + QStringLiteral(" baud");
    if (check.stretched.isEmpty()) {
        text += QStringLiteral("Every step can be played as written at ") + rate + QStringLiteral(".\n");
    } else {
        text += QStringLiteral("Steps whose commands need longer on the line than their dwell at ") + rate
                + QStringLiteral(":\n");
        for (const StretchedRow &s : check.stretched)
            text += QStringLiteral("  step %1  %2  dwell %3  line %4\n")
                        .arg(s.position)
                        .arg(s.label, secondsText(s.dwellMs), secondsText(s.lineMs));
    }
    text += QStringLiteral("Steps played: %1, stretched: %2\n")
                .arg(check.stepsPlayed)
                .arg(check.stretched.size());
    if (check.timeline.endless) {
        if (!check.timeline.steps.isEmpty())
            text += QStringLiteral("Expected length: none, the run holds %1 until STOP (a dwell of 0)\n")
                        .arg(check.timeline.steps.last().label);
        else
            text += QStringLiteral("Expected length: none, no step is checked and the run waits for STOP\n");
    } else {
        text += QStringLiteral("Expected length: %1 (%2)\n")
                    .arg(lengthText(check.timeline.lengthMs),
                         secondsText(static_cast<double>(check.timeline.lengthMs)));
    }
    return text;
}
