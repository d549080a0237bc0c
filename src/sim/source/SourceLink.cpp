// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/source/SourceLink.h"

#include "sim/source/PtyBridge.h"
#include "sim/source/TcpCable.h"

#include <algorithm>
#include <cmath>

SourceLink::SourceLink(Clock clock, QObject *parent) : SourceLink(std::move(clock), Cable::Pty, 0, parent) {}

SourceLink::SourceLink(Clock clock, Cable cable, quint16 tcpPort, QObject *parent)
    : QObject(parent), m_clock(std::move(clock))
{
    if (cable == Cable::Tcp)
        m_cable = std::make_unique<TcpCable>(tcpPort);
    else
        m_cable = std::make_unique<PtyBridge>();
    m_due.setSingleShot(true);
    m_due.setTimerType(Qt::PreciseTimer);
    connect(&m_due, &QTimer::timeout, this, [this] {
        carryOut(m_model.advanceTo(now()));
        scheduleNext();
    });
    connect(m_cable.get(), &SourceCable::readyRead, this, [this] {
        take();
        carryOut(m_model.advanceTo(now()));
        scheduleNext();
    });
    m_lineRead.setTimerType(Qt::PreciseTimer);
    connect(&m_lineRead, &QTimer::timeout, this, &SourceLink::takeFromLine);
}

PortTarget SourceLink::farEnd() const
{
    if (auto target = parsePortTarget(farEndPath()))
        return *target;
    PortTarget device;
    device.kind = PortTarget::Kind::Device;
    device.device = farEndPath();
    return device;
}

namespace {
constexpr int LineReadEveryMs = 5;
// Writes this close together come from one handler of the program (which
// the machine may pause for a few milliseconds); two handlers that write
// are a step's dwell apart, and no dwell is under 10 ms.
constexpr double BurstMs = 8.0;

double bytesPerSecond(const LineSettings &line)
{
    const double charMs = characterMs(line);
    return charMs > 0 ? 1000.0 / charMs : 0.0;
}
} // namespace

void SourceLink::poll()
{
    take();
    carryOut(m_model.advanceTo(now()));
}

void SourceLink::finish()
{
    if (m_reader)
        takeFromLine();
    else
        take();
    carryOut(m_model.advanceToEnd());
}

void SourceLink::setLive(bool live)
{
    m_live = live && m_cable->isOpen();
    m_due.stop();
    if (m_cable->nearEnd() < 0) {
        // Taken as the bytes come.
        m_cable->setWatching(m_live);
        if (m_live)
            scheduleNext();
        return;
    }
    if (m_live) {
        if (!m_reader) {
            m_reader = std::make_unique<LineRateReader>(m_cable->nearEnd(),
                                                        bytesPerSecond(m_cable->lineSettings()));
            m_readerOffsetMs = now() - LineRateReader::clockMs();
        }
        m_lineRead.start(LineReadEveryMs);
    } else {
        m_lineRead.stop();
        if (m_reader)
            takeFromLine();
        m_reader.reset();
    }
}

void SourceLink::takeFromLine()
{
    // The line's rate follows the settings the program puts on its port.
    const LineSettings line = m_cable->lineSettings();
    m_reader->setRate(bytesPerSecond(line));
    LineRateReader::Arrived arrived = m_reader->take();
    for (const LineRateReader::Read &read : arrived.reads) {
        if (m_burst.size > 0 && read.ms - m_burst.ms > BurstMs) {
            noteBurst(m_burst.ms + m_readerOffsetMs, m_burst.size, line);
            m_burst = {};
        }
        if (m_burst.size == 0)
            m_burst.ms = read.ms;
        m_burst.size += read.size;
    }
    if (m_burst.size > 0 && LineRateReader::clockMs() - m_burst.ms > BurstMs) {
        noteBurst(m_burst.ms + m_readerOffsetMs, m_burst.size, line);
        m_burst = {};
    }
    if (!arrived.bytes.isEmpty()) {
        for (double &ms : arrived.ms)
            ms += m_readerOffsetMs;
        m_model.receiveArrived(arrived.bytes, arrived.ms, line);
    }
    carryOut(m_model.advanceTo(now()));
}

void SourceLink::take()
{
    const QByteArray bytes = m_cable->readAvailable();
    if (bytes.isEmpty())
        return;
    const double writtenMs = now();
    const LineSettings line = m_cable->lineSettings();
    m_model.receive(bytes, writtenMs, line);
    noteBurst(writtenMs, bytes.size(), line);
}

void SourceLink::noteBurst(double writtenMs, qsizetype bytes, const LineSettings &line)
{
    const std::optional<StepContext> step = m_probe ? m_probe() : std::nullopt;
    emit burstWritten(writtenMs, bytes, line, step);
    if (step) {
        if (auto stretched = checkBurst(bytes, writtenMs, line, *step)) {
            // A continuous run flags the same steps every cycle: keep the latest.
            if (m_stretched.size() >= MaxStretchedKept)
                m_stretched.removeFirst();
            m_stretched.append(*stretched);
            emit stepStretched(*stretched);
        }
    }
}

void SourceLink::carryOut(const QList<ReceivedLine> &lines)
{
    for (const ReceivedLine &line : lines)
        emit lineCarriedOut(line);
}

void SourceLink::scheduleNext()
{
    if (!m_live)
        return;
    const auto due = m_model.nextDue();
    if (!due) {
        m_due.stop();
        return;
    }
    const double wait = std::max(0.0, *due - now());
    m_due.start(static_cast<int>(std::ceil(wait)));
}
