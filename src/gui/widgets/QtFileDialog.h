// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ui/FileDialog.h"

class QtFileDialog : public FileDialog
{
public:
    QString showOpen(const QString &filter, int filterIndex, const QString &fileName) override;
    QString showSave(const QString &filter, int filterIndex, const QString &fileName) override;

    // "All Files (*.*)|*.*|Log Files (*.log)|*.log" to Qt's name filters.
    static QStringList nameFilters(const QString &filter);
};
