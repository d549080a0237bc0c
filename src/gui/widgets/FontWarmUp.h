// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while the
// application object connects to the display. The window measures its
// captions before it is shown, and the first measurement would otherwise
// wait for that read (several milliseconds of parsing on Linux). Qt's font
// database then finds the configuration already read. Where fonts are not
// configured that way (Windows, macOS) it does nothing.
class FontWarmUp
{
public:
    FontWarmUp();
    ~FontWarmUp(); // waits for the read: it must not outlive the program
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

private:
    std::thread m_reader;
};
