// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Helpers shared by the window's run tests: the window's table of steps,
// and a transcript of what goes out on the wire at RUN and at each timer
// tick.

#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "support/FakePlatform.h"
#include "support/RunWire.h"
#include "support/SessionRig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

inline void setSteps(frmControl &w, const QList<StepSpec> &specs)
{
    std::vector<StepRecord> rows;
    for (int i = 0; i < specs.size(); ++i)
        rows.push_back(stepRecord(i + 1, specs[i]));
    w.ui().livData->replaceAll(std::move(rows));
}

inline void chooseRunMode(frmControl &w, const QString &mode, const QString &cycles = {})
{
    w.ui().cboRunMode->setCurrentText(mode);
    w.cboRunMode_Click();
    if (!cycles.isNull())
        w.ui().txtCycleTime->setText(cycles);
}

// RUN, then ticks until the timer stops or maxTicks have passed.
inline QStringList runTranscript(frmControl &w, FakePlatform &fake, int maxTicks = 100)
{
    QStringList out;
    w.cmdRunStop_Click();
    settle(w);
    out << moment(fake);
    for (int i = 0; i < maxTicks && fake.timer.tick(); ++i)
        out << moment(fake);
    return out;
}
