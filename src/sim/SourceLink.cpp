#include "sim/SourceLink.h"

#include "sim/PtyBridge.h"
#include "sim/TcpCable.h"

#include <algorithm>
#include <cmath>

SourceLink::SourceLink(Clock clock, QObject *parent) : SourceLink(std::move(clock), Cable::Pty, parent) {}

SourceLink::SourceLink(Clock clock, Cable cable, QObject *parent)
    : QObject(parent), m_clock(std::move(clock))
{
    if (cable == Cable::Tcp)
        m_cable = std::make_unique<TcpCable>();
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

void SourceLink::poll()
{
    take();
    carryOut(m_model.advanceTo(now()));
}

void SourceLink::finish()
{
    take();
    carryOut(m_model.advanceToEnd());
}

void SourceLink::setLive(bool live)
{
    m_live = live;
    m_cable->setWatching(live);
    if (live)
        scheduleNext();
    else
        m_due.stop();
}

void SourceLink::take()
{
    const QByteArray bytes = m_cable->readAvailable();
    if (bytes.isEmpty())
        return;
    const double writtenMs = now();
    const LineSettings line = m_cable->lineSettings();
    m_model.receive(bytes, writtenMs, line);
    const std::optional<StepContext> step = m_probe ? m_probe() : std::nullopt;
    emit burstWritten(writtenMs, bytes.size(), line, step);
    if (step) {
        if (auto stretched = checkBurst(bytes.size(), writtenMs, line, *step)) {
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
