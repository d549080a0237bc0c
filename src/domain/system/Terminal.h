// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <cstdio>

// Whether the stream writes to a terminal (not a file or a pipe).
bool isTerminal(std::FILE *stream);
