// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// The file open/save dialog. The filter is the "Name|pattern|Name|pattern"
// list; filterIndex is 1-based. Returns the chosen full path, or an empty
// text when the operator cancelled. No default extension is added.
class FileDialog
{
public:
    virtual ~FileDialog() = default;

    virtual QString showOpen(const QString &filter, int filterIndex, const QString &fileName) = 0;
    virtual QString showSave(const QString &filter, int filterIndex, const QString &fileName) = 0;
};
