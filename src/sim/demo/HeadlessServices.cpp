// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/HeadlessServices.h"

QString ScriptedFileDialog::showOpen(const QString &filter, int filterIndex, const QString &fileName)
{
    if (!openAnswers.empty()) {
        QString path = openAnswers.front();
        openAnswers.pop_front();
        return path;
    }
    return m_delegate ? m_delegate->showOpen(filter, filterIndex, fileName) : QString();
}

QString ScriptedFileDialog::showSave(const QString &filter, int filterIndex, const QString &fileName)
{
    return m_delegate ? m_delegate->showSave(filter, filterIndex, fileName) : QString();
}
