// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/ui/BusyPointer.h"

class QtBusyPointer : public BusyPointer
{
public:
    void setBusy(bool busy) override;

private:
    bool m_busy = false;
};
