// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// The SHA-256 of a file's bytes in lower-case hex; empty when the file
// cannot be read. Says whether the step file a record names is still the
// one that was played.
QString fileSha256(const QString &path);
