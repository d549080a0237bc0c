// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/widgets/FontWarmUp.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#endif

FontWarmUp::FontWarmUp()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Qt Gui links fontconfig, so it is loaded already: no library or header
    // of its own to depend on. Its first initialisation is safe to race with
    // Qt's: the slower of two is dropped.
    using Init = int (*)();
    if (const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
        m_reader = std::thread([init] { init(); });
#endif
}

FontWarmUp::~FontWarmUp()
{
    if (m_reader.joinable())
        m_reader.join();
}
