#pragma once

#include <QStringView>
#include <QValidator>
#include <optional>

// The characters a step's value texts may hold. A step file is 8-bit text
// (Latin-1) with tab-separated cells on lines of their own, so a cell holds
// no control character and nothing beyond Latin-1. What goes to the
// instrument must moreover hold no ";", which would begin a second command
// inside the step's one.
namespace StepText {

bool fileCanHold(char32_t c);
bool canSend(char32_t c);

// The first character of text that cannot be sent, if any.
std::optional<char32_t> firstUnsendable(QStringView text);

} // namespace StepText

// Keeps an entry field or list to characters a step file can hold: an edit
// or a paste that would bring in any other is refused.
class StepTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
