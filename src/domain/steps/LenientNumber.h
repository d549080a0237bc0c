// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QStringView>

// Reads the leading number of a value text; never fails.
//  - blanks, tabs and line feeds are removed first;
//  - "&H" / "&O" (either case) read hexadecimal / octal digits;
//  - otherwise an optional sign, digits, "." and digits, and an exponent
//    with "E" or "D" (either case); only "." is a decimal point, a comma
//    ends the number;
//  - no digits read gives 0; anything after the number is ignored.
double lenientNumber(QStringView text);
