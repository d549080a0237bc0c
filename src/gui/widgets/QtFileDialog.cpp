// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/widgets/QtFileDialog.h"

#include "gui/widgets/NameOnlyIconProvider.h"

#include <QFileDialog>

QStringList QtFileDialog::nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        // The description already names the pattern; Qt wants it in brackets.
        const QString name = parts[i].section(QLatin1Char('('), 0, 0).trimmed();
        result << QStringLiteral("%1 (%2)").arg(name, pattern);
    }
    return result;
}

namespace {
QString runDialog(QFileDialog::AcceptMode mode, const QString &filter, int filterIndex, const QString &fileName)
{
    NameOnlyIconProvider icons; // outlives the dialog that uses it
    QFileDialog dialog;
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = QtFileDialog::nameFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters[filterIndex - 1]);
    dialog.setDefaultSuffix(QString());
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtFileDialog::showOpen(const QString &filter, int filterIndex, const QString &fileName)
{
    return runDialog(QFileDialog::AcceptOpen, filter, filterIndex, fileName);
}

QString QtFileDialog::showSave(const QString &filter, int filterIndex, const QString &fileName)
{
    return runDialog(QFileDialog::AcceptSave, filter, filterIndex, fileName);
}
