#pragma once

#include "platform/BusyPointer.h"

class QtBusyPointer : public BusyPointer
{
public:
    void setBusy(bool busy) override;

private:
    bool m_busy = false;
};
