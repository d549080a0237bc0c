// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// Text forms of numbers the program writes, independent of the system's
// number settings.

// A number as the range messages show it: a blank where the sign would be
// (or "-"), then the shortest decimal form with at most seven significant
// digits, no trailing zeros and no "0" before the point of a value below 1.
// 0.01 -> " .01", 310 -> " 310", -1.5 -> "-1.5".
QString numberText(double value);

// A value with a fixed number of decimals ("." as the point, none at all
// for 0 decimals), a "0" before the point below 1, and the digits before the
// point grouped in threes by ",". 1000 with 0 decimals -> "1,000".
// An exact half is rounded away from zero.
QString fixedText(double value, int decimals);
