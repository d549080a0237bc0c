// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/system/ThreadPriority.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <pthread.h>
#include <sched.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

bool raiseThreadToRealTime()
{
#ifdef Q_OS_UNIX
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR) + 4;
    return pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
#elif defined(Q_OS_WIN)
    // The highest class a process of normal priority may give its threads.
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0;
#else
    return false;
#endif
}
