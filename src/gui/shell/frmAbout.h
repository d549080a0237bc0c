// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// "Version 1.0.0": major, minor and revision in decimal.
QString versionText(int major, int minor, int revision);
// The program's own version text, from the build's version numbers.
QString programVersionText();

// The about box: the program's title, version and icon. Fixed size, shown
// without an owner and without blocking the main window; closing it
// destroys it.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

    // Sets the title bar, the title and the version texts.
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QFrame *Line1_0 = nullptr; // the etched rule: a grey line...
    QFrame *Line1_1 = nullptr; // ...over a white one
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
};
