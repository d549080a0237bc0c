// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// The application-wide busy (hourglass) mouse pointer.
class BusyPointer
{
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};

// No pointer to change: for work done without a window.
class NoBusyPointer : public BusyPointer
{
public:
    void setBusy(bool) override {}
};
