// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

// Resident memory, as the kernel reports it for this process.

#include <optional>
#include <string>

// A field of /proc/self/status in kB ("VmRSS:"); none where there is no such file.
std::optional<long> statusKb(const char *field);

// "1234 kB", or "n/a".
std::string kbText(std::optional<long> kb);
