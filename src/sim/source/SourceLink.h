// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ports/PortTarget.h"
#include "sim/source/LineRateReader.h"
#include "sim/source/SourceCable.h"
#include "sim/source/SourceModel.h"
#include "sim/source/StretchedStep.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// The virtual source at the end of its cable: reads what the program wrote
// to the pseudo-terminal (or, behind a serial server, to a loopback TCP
// port), times it by the line settings the program set, and
// carries out each line when it has arrived.
//
// The clock is milliseconds since the session began: the real time for the
// live demo, a virtual time for a dry run. Live, the event loop drives
// everything; otherwise the caller polls after each thing the program does.
class SourceLink : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<double()>;
    using StepProbe = std::function<std::optional<StepContext>()>;

    enum class Cable { Pty, Tcp };

    explicit SourceLink(Clock clock, QObject *parent = nullptr);
    // tcpPort: the TCP cable's port on 127.0.0.1; 0 takes a free one.
    SourceLink(Clock clock, Cable cable, quint16 tcpPort = 0, QObject *parent = nullptr);

    bool isOpen() const { return m_cable->isOpen(); }
    QString errorText() const { return m_cable->errorText(); }
    // What the program's port must be connected to: a device, or tcp://.
    QString farEndPath() const { return m_cable->farEndPath(); }
    PortTarget farEnd() const;
    SourceCable &cable() { return *m_cable; }
    double now() const { return m_clock(); }

    const SourceModel &model() const { return m_model; }
    SourceModel &model() { return m_model; }
    const QList<StretchedStep> &stretchedSteps() const { return m_stretched; }

    // Tells which step the program is playing when it writes; without it no
    // step is ever flagged as stretched.
    void setStepProbe(StepProbe probe) { m_probe = std::move(probe); }

    // Takes what the program has written and carries out every line due by now.
    void poll();
    // Carries out every line still on its way.
    void finish();
    // Live: a pseudo-terminal's far end is read at the line's rate on a
    // thread of its own, as a real line delivers (a flush of the program's
    // output drops what it still holds); a TCP cable's bytes are taken as
    // they come, the serial server's business. The event loop carries out
    // each line as it arrives.
    void setLive(bool live);

signals:
    // The program wrote bytes in one go (one handler's commands).
    void burstWritten(double writtenMs, qsizetype bytes, const LineSettings &line,
                      const std::optional<StepContext> &step);
    void lineCarriedOut(const ReceivedLine &line);
    void stepStretched(const StretchedStep &step);

private:
    static constexpr qsizetype MaxStretchedKept = 1000;

    void take();
    void takeFromLine();
    void noteBurst(double writtenMs, qsizetype bytes, const LineSettings &line);
    void carryOut(const QList<ReceivedLine> &lines);
    void scheduleNext();

    Clock m_clock;
    std::unique_ptr<SourceCable> m_cable;
    SourceModel m_model;
    StepProbe m_probe;
    QList<StretchedStep> m_stretched;
    QTimer m_due;
    QTimer m_lineRead;
    std::unique_ptr<LineRateReader> m_reader;
    double m_readerOffsetMs = 0.0; // this clock less the reader's
    LineRateReader::Read m_burst;  // reads close together: one handler's writes
    bool m_live = false;
};
