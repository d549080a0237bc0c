// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "programs/LineCheck.h"

#include "instrument/Commands.h"
#include "instrument/SequencerCore.h"
#include "steps/LenientNumber.h"
#include "steps/StepTableModel.h"

#include <cmath>

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

QString seconds(double ms)
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
} // namespace

LineCheck checkLine(const StepTableModel &steps, const LineSettings &line, int cycles)
{
    LineCheck check;
    const double charMs = characterMs(line);
    RunState run;
    run.StepTotal = steps.count();
    run.RunCycles = std::max(1, cycles);
    run.CyclesLeft = run.RunCycles;
    run.CurrentStep = 1;
    run.LastSentStep = 0;
    if (run.StepTotal == 0)
        return check; // RUN plays nothing

    // RUN's commands go out just before the first step's.
    double waitingMs = commandsLineMs({Command::Turn + Command::Off, Command::OutputRelay + Command::On},
                                      charMs);
    qint64 now = 0;
    int lastPeriodMs = -1; // the timer's period; -1 while it was never armed
    Timeline &timeline = check.timeline;
    for (;;) {
        const SequencerStep step = advanceSequencer(run, steps);
        if (step.action == SequencerStep::Action::EndOfRun)
            break;
        if (step.action == SequencerStep::Action::Rewind) {
            // The timer keeps the last step's period: one more of it, or,
            // never armed, no tick at all.
            if (lastPeriodMs <= 0) {
                timeline.endless = true;
                break;
            }
            now += lastPeriodMs;
            timeline.steps.last().heldMs += lastPeriodMs;
            continue;
        }
        const StepRecord &row = steps.row(step.position);
        const double lineMs = waitingMs + commandsLineMs(step.commands, charMs);
        waitingMs = 0;
        ++check.stepsPlayed;
        TimelineStep played = timelineStep(row, now);
        lastPeriodMs = step.periodMs;
        if (step.periodMs == 0) {
            // No tick follows: the run stays here until STOP.
            timeline.steps.append(played);
            timeline.endless = true;
            break;
        }
        played.heldMs = step.periodMs;
        if (lineMs > step.periodMs) {
            // The tick that ends the step waits for the line.
            played.stretched = true;
            played.heldMs = static_cast<qint64>(std::ceil(lineMs));
            check.stretched.append({step.position, row.label, step.periodMs, lineMs});
        }
        now += played.heldMs;
        timeline.steps.append(played);
    }
    timeline.lengthMs = now;
    return check;
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
                        .arg(s.label, seconds(s.dwellMs), seconds(s.lineMs));
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
                         seconds(static_cast<double>(check.timeline.lengthMs)));
    }
    return text;
}
