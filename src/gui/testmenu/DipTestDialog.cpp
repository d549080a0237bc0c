// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/DipTestDialog.h"

#include "domain/files/StepFileFormat.h"
#include "domain/ports/LineSettings.h"
#include "domain/programs/LineCheck.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
// What the refusals call each option: the fields' captions.
DipTest::OptionNames fieldNames()
{
    return {QStringLiteral("Test class"), QStringLiteral("UT"),      QStringLiteral("Frequency"),
            QStringLiteral("Angles"),     QStringLiteral("Repeats"), QStringLiteral("Gap")};
}
} // namespace

DipTestDialog::DipTestDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDipTest"));
    setWindowTitle(QStringLiteral("IEC 61000-4-11 Program"));
    const DipTest::Options defaults;
    cboClass = new QComboBox(this);
    cboClass->setObjectName(QStringLiteral("cboClass"));
    cboClass->addItems({QStringLiteral("2"), QStringLiteral("3")});
    cboClass->setCurrentText(QString::number(defaults.testClass));
    txtVoltage = new QLineEdit(QString::number(defaults.ut), this);
    txtVoltage->setObjectName(QStringLiteral("txtVoltage"));
    cboFrequency = new QComboBox(this);
    cboFrequency->setObjectName(QStringLiteral("cboFrequency"));
    cboFrequency->addItems({QStringLiteral("50"), QStringLiteral("60")});
    QStringList angles;
    for (int a : defaults.angles)
        angles << QString::number(a);
    txtAngles = new QLineEdit(angles.join(QLatin1Char(',')), this);
    txtAngles->setObjectName(QStringLiteral("txtAngles"));
    txtRepeats = new QLineEdit(QString::number(defaults.repeats), this);
    txtRepeats->setObjectName(QStringLiteral("txtRepeats"));
    txtGap = new QLineEdit(QString::number(defaults.gapSeconds), this);
    txtGap->setObjectName(QStringLiteral("txtGap"));
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    // A refusal can be long: it wraps rather than widen the dialog.
    lblSummary->setWordWrap(true);
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    lblNotes->setWordWrap(true);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Test &class:"), cboClass);
    form->addRow(QStringLiteral("&UT (V):"), txtVoltage);
    form->addRow(QStringLiteral("&Frequency (Hz):"), cboFrequency);
    form->addRow(QStringLiteral("&Angles (degrees):"), txtAngles);
    form->addRow(QStringLiteral("&Repeats:"), txtRepeats);
    form->addRow(QStringLiteral("&Gap (s):"), txtGap);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblSummary);
    layout->addWidget(lblNotes);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit *field : {txtVoltage, txtAngles, txtRepeats, txtGap})
        connect(field, &QLineEdit::textChanged, this, &DipTestDialog::update);
    for (QComboBox *list : {cboClass, cboFrequency})
        connect(list, &QComboBox::currentIndexChanged, this, &DipTestDialog::update);
    update();
}

DipTest::Options DipTestDialog::options() const
{
    DipTest::Options o;
    o.testClass = cboClass->currentText().toInt();
    o.frequency = cboFrequency->currentText().toInt();
    bool ok = false;
    o.ut = txtVoltage->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(o.ut))
        o.ut = std::nan("");
    o.repeats = txtRepeats->text().trimmed().toInt(&ok);
    if (!ok)
        o.repeats = 0;
    o.gapSeconds = txtGap->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(o.gapSeconds))
        o.gapSeconds = std::nan("");
    o.angles.clear();
    for (const QString &text : txtAngles->text().split(QLatin1Char(','))) {
        const int angle = text.trimmed().toInt(&ok);
        o.angles << (ok ? angle : -1);
    }
    return o;
}

QString DipTestDialog::error() const
{
    // The refusals are those of --generate, each naming the field it is
    // about; a field that holds no number says what was typed.
    const DipTest::OptionNames names = fieldNames();
    const auto typed = [](const QLineEdit *field) { return field->text().trimmed(); };
    bool ok = false;
    const double ut = typed(txtVoltage).toDouble(&ok);
    if (!ok || !std::isfinite(ut))
        return QStringLiteral("%1 is a number of volts, not \"%2\"").arg(names.ut, typed(txtVoltage));
    for (const QString &entry : txtAngles->text().split(QLatin1Char(','))) {
        entry.trimmed().toInt(&ok);
        if (!ok)
            return QStringLiteral("%1 are whole degrees from 0 to 359, not \"%2\"")
                .arg(names.angles, entry.trimmed());
    }
    typed(txtRepeats).toInt(&ok);
    if (!ok)
        return QStringLiteral("%1 is a whole number, not \"%2\"").arg(names.repeats, typed(txtRepeats));
    const double gap = typed(txtGap).toDouble(&ok);
    if (!ok || !std::isfinite(gap))
        return QStringLiteral("%1 is a number of seconds, not \"%2\"").arg(names.gap, typed(txtGap));
    return DipTest::optionsError(options(), names);
}

QString DipTestDialog::summaryText() const
{
    return lblSummary->text();
}

QString DipTestDialog::noteText() const
{
    return lblNotes->text();
}

void DipTestDialog::update()
{
    const QString why = error();
    buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
    if (!why.isEmpty()) {
        lblSummary->setText(why);
        lblNotes->clear();
        return;
    }
    const DipTest::Program program = DipTest::generate(options());
    // A program too large for a step file could not be saved.
    const qint64 bytes = StepFileFormat::format(program.rows).size();
    if (const QString tooLarge = DipTest::sizeError(qint64(program.rows.size()), bytes, fieldNames());
        !tooLarge.isEmpty()) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
        lblSummary->setText(tooLarge);
        lblNotes->clear();
        return;
    }
    // How long a run takes on the window's line, as Check Line Time has it.
    const LineCheck check = DipTest::checkProgram(program, m_baud);
    lblSummary->setText(QStringLiteral("%1 steps, %2 long at %3 baud")
                            .arg(program.rows.size())
                            .arg(lengthText(check.timeline.lengthMs))
                            .arg(m_baud));
    QStringList notes = program.notices;
    if (const QString note = DipTest::lineNote(check, qint64(program.rows.size()), m_baud); !note.isEmpty())
        notes << note + QStringLiteral(" (Check Line Time in the Test menu marks them)");
    // Written to follow "Note: " on the command line; here each stands alone.
    for (QString &note : notes) {
        if (!note.isEmpty())
            note[0] = note[0].toUpper();
    }
    lblNotes->setText(notes.join(QLatin1Char('\n')));
}

void DipTestDialog::setBaud(int baud)
{
    m_baud = baud > 0 ? baud : LineSettings().baud;
    update();
}
