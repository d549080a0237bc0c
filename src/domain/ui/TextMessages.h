// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ui/MessageBox.h"

#include <QStringList>
#include <functional>

// Message boxes where there is no window, or nobody to answer one: each
// message becomes one line of text, its lone CRs blanks and its caption in
// front unless left out, handed to a sink; the box's default button is the
// answer.
class TextMessages : public MessageBox
{
public:
    using Sink = std::function<void(const QString &line)>;
    enum class Caption { Shown, Left };

    explicit TextMessages(Sink sink, Caption caption = Caption::Shown)
        : m_sink(std::move(sink)), m_caption(caption)
    {
    }

    Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                Answer defaultButton) override;

    // Writes each line, after prefix, to standard error.
    static Sink standardError(const QString &prefix = {});

    QStringList shown; // every line so far

private:
    Sink m_sink;
    Caption m_caption;
};
