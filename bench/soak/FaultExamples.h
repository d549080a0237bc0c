// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QStringList>
#include <cstdio>

// Keeps the first few faults for the report.
class Examples
{
public:
    void add(const QString &text)
    {
        if (m_texts.size() < 10)
            m_texts << text;
    }
    void print(const char *heading) const
    {
        if (m_texts.isEmpty())
            return;
        std::printf("%s\n", heading);
        for (const QString &t : m_texts)
            std::printf("  %s\n", qPrintable(t));
    }

private:
    QStringList m_texts;
};
