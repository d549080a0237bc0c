#pragma once

// Helpers shared by the run tests: a table of steps, and a transcript of
// what goes out on the wire at RUN and at each timer tick.

#include "shell/frmControl.h"
#include "steps/StepListView.h"
#include "support/FakePlatform.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

struct StepSpec
{
    bool checked = true;
    QString dwell = QStringLiteral("1.00");
    QString startPhase = QStringLiteral("0.00");
    QString stopPhase = QStringLiteral("360.00");
    QString voltage = QStringLiteral("110.00");
};

inline StepRecord stepRecord(int number, const StepSpec &spec)
{
    StepRecord r = StepRecord::makeDefault(StepDefaults::label(number));
    r.checked = spec.checked;
    r.subItem(StepRecord::WorkTime) = spec.dwell;
    r.subItem(StepRecord::StartPhase) = spec.startPhase;
    r.subItem(StepRecord::StopPhase) = spec.stopPhase;
    r.subItem(StepRecord::Voltage) = spec.voltage;
    return r;
}

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

// The bytes written since the last call, then where the timer stands: the
// period of the next tick ("@1000") or "@off" when none will come.
inline QString moment(FakePlatform &fake)
{
    QString text = fake.port.writes().join(QString());
    fake.port.clearEvents();
    const bool ticking = fake.timer.Enabled() && fake.timer.Interval() > 0;
    return text + (ticking ? QStringLiteral("@%1").arg(fake.timer.Interval()) : QStringLiteral("@off"));
}

// RUN, then ticks until the timer stops or maxTicks have passed.
inline QStringList runTranscript(frmControl &w, FakePlatform &fake, int maxTicks = 100)
{
    QStringList out;
    w.cmdRunStop_Click();
    out << moment(fake);
    for (int i = 0; i < maxTicks && fake.timer.tick(); ++i)
        out << moment(fake);
    return out;
}

// The wire text of one played step with the default values.
inline QString stepWire(const QString &phases, const QString &voltage = QStringLiteral("110.00"))
{
    return phases + QStringLiteral(":SOUR:FREQ 60.00\r:SOUR:RANG Auto\r:SOUR:VOLT ") + voltage
           + QStringLiteral("\r:SOUR:TURN On\r");
}

inline const QString RunStart = QStringLiteral(":SOUR:TURN OFF\r:OUTP ON\r");
inline const QString RunEnd = QStringLiteral(":SOUR:TURN OFF\r:OUTP OFF\r");
inline const QString BothPhases = QStringLiteral(":SOUR:STPH 0.00\r:SOUR:SPPH 360.00\r");
