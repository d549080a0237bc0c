#include "steps/StepText.h"

namespace StepText {

bool fileCanHold(char32_t c)
{
    return c >= 32 && c <= 0xFF;
}

bool canSend(char32_t c)
{
    return fileCanHold(c) && c != U';';
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

} // namespace StepText
