// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/testmenu/RunRecordsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RunRecordsDialog::RunRecordsDialog(const QString &directory, bool writeReports, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRunRecords"));
    setWindowTitle(QStringLiteral("Run Records"));
    txtDirectory = new QLineEdit(directory, this);
    txtDirectory->setObjectName(QStringLiteral("txtDirectory"));
    txtDirectory->setPlaceholderText(QStringLiteral("none: runs are not recorded"));
    cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    chkWriteReports = new QCheckBox(QStringLiteral("Write a PDF &report after each run"), this);
    chkWriteReports->setObjectName(QStringLiteral("chkWriteReports"));
    chkWriteReports->setChecked(writeReports);
    auto *label = new QLabel(QStringLiteral("Record &directory:"), this);
    label->setBuddy(txtDirectory);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *row = new QHBoxLayout;
    row->addWidget(txtDirectory, 1);
    row->addWidget(cmdBrowse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(chkWriteReports);
    layout->addWidget(buttons);
    resize(480, sizeHint().height());

    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Record directory"),
                                                                 txtDirectory->text());
        if (!chosen.isEmpty())
            txtDirectory->setText(chosen);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString RunRecordsDialog::directory() const
{
    QString path = txtDirectory->text().trimmed();
    if (path.isEmpty())
        return path;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool RunRecordsDialog::writeReports() const
{
    return chkWriteReports->isChecked();
}
