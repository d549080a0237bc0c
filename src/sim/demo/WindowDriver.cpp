// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/WindowDriver.h"

#include "domain/instrument/InstrumentSession.h"
#include "gui/shell/SessionWait.h"
#include "gui/shell/frmControl.h"
#include "gui/steps/StepListView.h"
#include "sim/demo/HeadlessServices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

QString RunChoice::text() const
{
    switch (mode) {
    case Mode::Single: return QStringLiteral("Single");
    case Mode::Continuous: return QStringLiteral("Continuous");
    case Mode::Cycle: return QStringLiteral("Cycle %1").arg(cycles);
    }
    return {};
}

bool isRunning(const frmControl &window)
{
    return window.session().running();
}

namespace {
template <typename T>
T *control(const frmControl &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}
} // namespace

StepListView *stepTable(const frmControl &window)
{
    return control<StepListView>(window, "livData");
}

QPushButton *runStopButton(const frmControl &window)
{
    return control<QPushButton>(window, "cmdRunStop");
}

std::optional<StepContext> playingStep(const frmControl &window)
{
    // Asked of the session, on its thread: the reader of a live line calls
    // this from a thread of its own.
    const auto step = window.session().playingStep();
    if (!step)
        return std::nullopt;
    return StepContext{step->label, step->armedMs};
}

void openStepFile(frmControl &window, ScriptedFileDialog &dialog, const QString &path)
{
    dialog.openAnswers.push_back(path);
    window.mnuOpen_Click();
}

void chooseRemote(frmControl &window)
{
    control<QRadioButton>(window, "optSystemMode_1")->setChecked(true);
    window.optSystemMode_Click(1);
    waitForSession(window);
}

void chooseRunMode(frmControl &window, const RunChoice &choice)
{
    const QString entry = choice.text().section(QLatin1Char(' '), 0, 0);
    QComboBox *runMode = control<QComboBox>(window, "cboRunMode");
    runMode->setCurrentIndex(runMode->findText(entry));
    window.cboRunMode_Click(); // a programmatic pick raises no click of its own
    if (choice.mode == RunChoice::Mode::Cycle)
        control<QLineEdit>(window, "txtCycleTime")->setText(QString::number(choice.cycles));
}

void chooseBaudRate(frmControl &window, const QString &baud)
{
    QComboBox *baudRate = control<QComboBox>(window, "cboBaudRate");
    baudRate->setCurrentIndex(baudRate->findText(baud));
    window.cboBaudRate_Click();
    waitForSession(window);
}
