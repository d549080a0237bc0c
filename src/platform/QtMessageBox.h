#pragma once

#include "platform/MessageBox.h"

class QtMessageBox : public MessageBox
{
public:
    Answer show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                Answer defaultButton) override;
};
