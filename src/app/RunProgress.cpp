// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "app/RunProgress.h"

#include "domain/instrument/SequencerCore.h"
#include "domain/steps/StepTableModel.h"
#include "domain/steps/StepText.h"

RunPlan::RunPlan(const StepTableModel &steps)
{
    const int count = steps.count();
    m_fromRow.assign(static_cast<size_t>(count) + 1, 0);
    bool lastFound = false;
    for (int position = count; position >= 1; --position) {
        const StepRecord &row = steps.row(position);
        qint64 dwell = 0;
        if (row.checked) {
            dwell = static_cast<qint64>(dwellPeriodMs(row.subItem(StepRecord::WorkTime)));
            m_holds = m_holds || dwell == 0;
            if (!lastFound)
                m_lastDwell = dwell;
            lastFound = true;
        }
        m_fromRow[static_cast<size_t>(position - 1)] = m_fromRow[static_cast<size_t>(position)] + dwell;
    }
}

qint64 RunPlan::leftFrom(int position, qint32 cyclesLeft) const
{
    if (m_holds || cyclesLeft < 1 || position < 1 || position >= static_cast<int>(m_fromRow.size()))
        return -1;
    const qint64 cycle = m_fromRow.front() + m_lastDwell;
    return m_fromRow[static_cast<size_t>(position - 1)] + m_lastDwell + (cyclesLeft - 1) * cycle;
}

QString durationText(qint64 ms)
{
    const qint64 tenths = qMax<qint64>(0, ms) / 100;
    const qint64 seconds = tenths / 10, minutes = seconds / 60, hours = minutes / 60;
    const QString rest = QStringLiteral("%1:%2.%3")
                             .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                             .arg(tenths % 10);
    return hours ? QString::number(hours) + QLatin1Char(':') + rest : rest;
}

QString progressLine(const QString &label, int position, int total, qint32 cycle, qint32 cycles,
                     qint64 elapsedMs, qint64 leftMs)
{
    // The label comes from the step file: shown as it reads, never acting on the terminal.
    QString line = QStringLiteral("%1 ( %2 / %3 )  cycle %4")
                       .arg(StepText::escapeControls(label))
                       .arg(position)
                       .arg(total)
                       .arg(cycle);
    if (cycles >= 1)
        line += QStringLiteral(" of %1").arg(cycles);
    line += QStringLiteral("  elapsed ") + durationText(elapsedMs);
    if (cycles >= 1 && leftMs >= 0)
        line += QStringLiteral("  left ") + durationText(leftMs);
    return line;
}
