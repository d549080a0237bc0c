// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/programs/DipTest.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// Test > IEC 61000-4-11 Program: the options of the dip and interruption
// test, checked by the same function as --generate; OK only while they hold.
class DipTestDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DipTestDialog(QWidget *parent = nullptr);

    // The options as the fields give them; what is wrong with them, or empty.
    DipTest::Options options() const;
    QString error() const;
    // The line the summary's length is worked out for (9600 baud unless set).
    void setBaud(int baud);
    // The refusal or the summary: "61 steps, 4:23.040 long at 9600 baud".
    QString summaryText() const;
    QString noteText() const;

    QComboBox *cboClass = nullptr;
    QLineEdit *txtVoltage = nullptr;
    QComboBox *cboFrequency = nullptr;
    QLineEdit *txtAngles = nullptr;
    QLineEdit *txtRepeats = nullptr;
    QLineEdit *txtGap = nullptr;
    QLabel *lblSummary = nullptr;
    QLabel *lblNotes = nullptr;
    QDialogButtonBox *buttons = nullptr;

private:
    void update();
    QString m_fieldError; // a field that is no number
    int m_baud = 9600;
};
