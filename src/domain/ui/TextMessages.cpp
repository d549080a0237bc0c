// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ui/TextMessages.h"

#include "domain/steps/StepText.h"

#include <cstdio>

MessageBox::Answer TextMessages::show(const QString &text, Buttons, Icon, const QString &caption,
                                      Answer defaultButton)
{
    // The program joins a message's lines with a lone CR.
    QString line = m_caption == Caption::Shown ? caption + QStringLiteral(": ") + text : text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    shown.append(line);
    if (m_sink)
        m_sink(line);
    return defaultButton;
}

TextMessages::Sink TextMessages::standardError(const QString &prefix)
{
    return [prefix](const QString &line) {
        // Names and labels in a message come from files: shown, never acted on.
        std::fputs(qPrintable(prefix + StepText::escapeControls(line) + QLatin1Char('\n')), stderr);
        std::fflush(stderr);
    };
}
