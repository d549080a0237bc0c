// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/SourceModel.h"

#include "sim/source/SourceCommand.h"

#include <limits>

QString displayText(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
        else
            text += QChar(byte); // Latin-1
    }
    return text;
}

void SourceModel::receive(const QByteArray &bytes, double writtenMs, const LineSettings &line)
{
    m_line = line;
    const double charMs = characterMs(line);
    for (const char byte : bytes) {
        const double arrived = m_wire.pass(writtenMs, charMs);
        if (auto frame = m_framer.push(byte))
            m_pending.push_back({arrived, std::move(frame->text), std::move(frame->error)});
    }
}

void SourceModel::receiveArrived(const QByteArray &bytes, const QList<double> &arrivedMs,
                                 const LineSettings &line)
{
    m_line = line;
    for (qsizetype i = 0; i < bytes.size() && i < arrivedMs.size(); ++i) {
        // The line's clock moves on with what it delivers.
        m_wire.pass(arrivedMs[i] - characterMs(line), characterMs(line));
        if (auto frame = m_framer.push(bytes[i]))
            m_pending.push_back({arrivedMs[i], std::move(frame->text), std::move(frame->error)});
    }
}

QList<ReceivedLine> SourceModel::advanceTo(double nowMs)
{
    QList<ReceivedLine> done;
    while (!m_pending.empty() && m_pending.front().ms <= nowMs) {
        done.append(carryOut(std::move(m_pending.front())));
        m_pending.pop_front();
    }
    return done;
}

QList<ReceivedLine> SourceModel::advanceToEnd()
{
    return advanceTo(std::numeric_limits<double>::infinity());
}

std::optional<double> SourceModel::nextDue() const
{
    if (m_pending.empty())
        return std::nullopt;
    return m_pending.front().ms;
}

ReceivedLine SourceModel::carryOut(ReceivedLine line)
{
    // A framing error is already the instrument's verdict: the line is dropped.
    if (line.ok())
        line.error = executeLine(line.text, m_state);
    if (!line.ok())
        ++m_errorCount;
    m_transcript.push_back(line);
    if (m_limit > 0 && m_transcript.size() > m_limit)
        m_transcript.pop_front();
    return line;
}
