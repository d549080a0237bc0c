#pragma once

#include "platform/CrashGuard.h"

// CrashGuard on the fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT). The handler only does what is safe in a crashed process: it
// empties the driver's output queue, writes the prepared bytes to the port
// with write(2) and lets the signal take its default action (ending the
// process, with a core dump where those are enabled). One per process.
// On platforms without POSIX signals install() does nothing and returns
// false.
class CrashSignals : public CrashGuard
{
public:
    CrashSignals() = default;
    ~CrashSignals() override;
    CrashSignals(const CrashSignals &) = delete;
    CrashSignals &operator=(const CrashSignals &) = delete;

    bool install();
    void setCrashOutput(const QByteArray &bytes) override;

    // The open serial port's file descriptor, -1 while none is open. Set by
    // the serial port as it opens and closes.
    static void setPortHandle(int fd);

    static constexpr int MaxBytes = 120;

private:
    bool m_installed = false;
};
