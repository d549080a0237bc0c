// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Test > Run Records: the directory each run's record goes to (empty: no
// records) and whether a PDF report is written beside it after the run.
class RunRecordsDialog : public QDialog
{
    Q_OBJECT
public:
    RunRecordsDialog(const QString &directory, bool writeReports, QWidget *parent = nullptr);

    // Absolute, as the records are written there: "~" is the home folder,
    // and a relative path is taken from the program's working folder.
    QString directory() const;
    bool writeReports() const;

    QLineEdit *txtDirectory = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QCheckBox *chkWriteReports = nullptr;
};

// Where the window's run records and reports go, and whether the lines are
// checked: kept in the program's settings when it has them.
struct TestSettings
{
    QString recordDirectory;
    bool writeReports = false;
    bool checkLineTime = false;
};
