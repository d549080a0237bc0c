// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "soak/Memory.h"

#include <cstring>
#include <fstream>

std::optional<long> statusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return std::nullopt;
}

std::string kbText(std::optional<long> kb)
{
    return kb ? std::to_string(*kb) + " kB" : std::string("n/a");
}
