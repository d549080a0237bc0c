// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ui/MessageBox.h"

#include <memory>

class QMessageBox;

class QtMessageBox : public MessageBox
{
public:
    Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                Answer defaultButton) override;

    // The box that show() runs, ready to be shown. Its text is plain text:
    // a path or a typed value that looks like markup shows as written.
    static std::unique_ptr<QMessageBox> build(const QString &text, Buttons buttons, Icon icon,
                                              const QString &caption, Answer defaultButton);
};
