// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ui/BusyPointer.h"
#include "domain/ui/FileDialog.h"

#include <QStringList>
#include <deque>
#include <functional>

// Stand-ins for the modal parts of the platform, for driving the main
// window from the demo without an operator.

// Answers the open dialog with the queued paths first; after that, or for
// a save, asks the delegate (cancels when there is none).
class ScriptedFileDialog : public FileDialog
{
public:
    explicit ScriptedFileDialog(FileDialog *delegate = nullptr) : m_delegate(delegate) {}

    std::deque<QString> openAnswers;

    QString showOpen(const QString &filter, int filterIndex, const QString &fileName) override;
    QString showSave(const QString &filter, int filterIndex, const QString &fileName) override;

private:
    FileDialog *m_delegate;
};
