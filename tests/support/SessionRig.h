// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// A session on the fake port and timer, on a thread of its own as in the
// program, under remote control on COM 1: for the run's logic without a
// window. What goes out is read as moments: the bytes written since the
// last one, then where the timer stands.

#include "domain/instrument/InstrumentSession.h"
#include "domain/instrument/RunModes.h"
#include "domain/instrument/SessionThread.h"
#include "support/FakePlatform.h"
#include "support/RunWire.h"

#include <QStringList>

// The bytes written since the last call, then the period of the next tick
// ("@1000") or "@off" when none will come.
inline QString moment(FakePlatform &fake)
{
    QString text = fake.port.writes().join(QString());
    fake.port.clearEvents();
    const bool ticking = fake.timer.Enabled() && fake.timer.Interval() > 0;
    return text + (ticking ? QStringLiteral("@%1").arg(fake.timer.Interval()) : QStringLiteral("@off"));
}

struct SessionRig
{
    FakePlatform fake;
    InstrumentSession session{fake.port, fake.timer};
    SessionThread thread{session, {&fake.port, &fake.timer}};

    SessionRig()
    {
        session.setPortName(QStringLiteral("COM 1"));
        session.probe({1});
        session.setRemote(true);
        fake.port.clearEvents();
        fake.timer.history.clear();
    }

    static std::vector<StepRecord> rows(const QList<StepSpec> &specs)
    {
        std::vector<StepRecord> out;
        for (int i = 0; i < specs.size(); ++i)
            out.push_back(stepRecord(i + 1, specs[i]));
        return out;
    }

    // RUN on these steps in this mode ("Single", "Cycle" with its count...).
    InstrumentSession::Refusal start(std::vector<StepRecord> steps,
                                     const QString &mode = QStringLiteral("Single"),
                                     const QString &cycles = QStringLiteral("1"))
    {
        return session.start(RunRequest::fromTexts(mode, cycles), std::move(steps));
    }
    InstrumentSession::Refusal start(const QList<StepSpec> &specs,
                                     const QString &mode = QStringLiteral("Single"),
                                     const QString &cycles = QStringLiteral("1"))
    {
        return start(rows(specs), mode, cycles);
    }

    // RUN, then ticks until the timer stops or maxTicks have passed.
    QStringList transcript(const QList<StepSpec> &specs, const QString &mode = QStringLiteral("Single"),
                           const QString &cycles = QStringLiteral("1"), int maxTicks = 100)
    {
        QStringList out;
        start(specs, mode, cycles);
        out << moment(fake);
        for (int i = 0; i < maxTicks && fake.timer.tick(); ++i)
            out << moment(fake);
        return out;
    }
};
