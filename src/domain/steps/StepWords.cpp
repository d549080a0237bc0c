// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/StepWords.h"

#include "domain/steps/StepRecord.h"

namespace StepWords {

const QStringList &of(int field)
{
    static const QStringList none;
    if (field == StepRecord::Output)
        return Output;
    if (field == StepRecord::Range)
        return Range;
    return none;
}

bool allows(const QStringList &words, const QString &text)
{
    return words.contains(text, Qt::CaseInsensitive);
}

QString listed(const QStringList &words)
{
    if (words.size() < 2)
        return words.join(QString());
    return words.mid(0, words.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + words.last();
}

} // namespace StepWords
