#pragma once

#include <QStringView>
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
