// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/TimerResolution.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
// after windows.h, which it needs
#include <timeapi.h>
#endif

void TimerResolution::hold(bool fine)
{
    if (fine == m_held)
        return;
#ifdef Q_OS_WIN
    // Asked back in pairs, as the system counts them.
    if (fine)
        m_held = timeBeginPeriod(1) == TIMERR_NOERROR;
    else {
        timeEndPeriod(1);
        m_held = false;
    }
#else
    // POSIX timers have no coarser system tick to raise.
    m_held = fine;
#endif
}
