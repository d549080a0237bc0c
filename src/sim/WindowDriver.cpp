#include "sim/WindowDriver.h"

#include "platform/Timer.h"
#include "shell/frmControl.h"
#include "sim/HeadlessServices.h"
#include "steps/StepListView.h"

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
    // The button's caption is the run state.
    return window.cmdRunStop->text() == QLatin1String("&STOP");
}

std::optional<StepContext> playingStep(const frmControl &window, const Timer &timer)
{
    if (!isRunning(window))
        return std::nullopt;
    const int row = window.livData->selectedIndex();
    if (row < 1 || row > window.livData->count())
        return std::nullopt;
    return StepContext{window.livData->item(row).label, timer.Enabled() ? timer.Interval() : 0};
}

void openStepFile(frmControl &window, ScriptedFileDialog &dialog, const QString &path)
{
    dialog.openAnswers.push_back(path);
    window.mnuOpen_Click();
}

void chooseRemote(frmControl &window)
{
    window.optSystemMode_1->setChecked(true);
    window.optSystemMode_Click(1);
}

void chooseRunMode(frmControl &window, const RunChoice &choice)
{
    const QString entry = choice.text().section(QLatin1Char(' '), 0, 0);
    window.cboRunMode->setCurrentIndex(window.cboRunMode->findText(entry));
    window.cboRunMode_Click(); // a programmatic pick raises no click of its own
    if (choice.mode == RunChoice::Mode::Cycle)
        window.txtCycleTime->setText(QString::number(choice.cycles));
}

void chooseBaudRate(frmControl &window, const QString &baud)
{
    window.cboBaudRate->setCurrentIndex(window.cboBaudRate->findText(baud));
    window.cboBaudRate_Click();
}
