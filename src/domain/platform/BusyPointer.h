#pragma once

// The application-wide busy (hourglass) mouse pointer.
class BusyPointer
{
public:
    virtual ~BusyPointer() = default;
    virtual void setBusy(bool busy) = 0;
};
