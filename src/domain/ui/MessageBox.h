// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// A modal message box. Two-line texts join their lines with a lone CR; the
// text given here keeps that CR, the Qt box shows it as a line break.
class MessageBox
{
public:
    enum class Buttons { Ok, YesNoCancel, YesNo };
    enum class Icon { None, Exclamation };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~MessageBox() = default;

    virtual Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                        Answer defaultButton)
        = 0;
};
