// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/steps/StepText.h"

#include "domain/steps/NumberScan.h"

namespace StepText {

bool fileCanHold(char32_t c)
{
    return c >= 32 && c <= 0xFF;
}

bool canSend(char32_t c)
{
    return fileCanHold(c) && c != U';' && c != U':' && c != U'*';
}

std::optional<char32_t> firstUnsendable(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!canSend(c))
            return c;
    }
    return std::nullopt;
}

bool isInstrumentNumber(QStringView text)
{
    // Blanks around it are the instrument's to skip; one inside splits it.
    const QStringView number = text.trimmed();
    const NumberScan::Number scanned = NumberScan::scan(number, 0);
    return scanned.digits > 0 && !scanned.badExponent && scanned.end == number.size();
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

QString escapeControls(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace StepText
