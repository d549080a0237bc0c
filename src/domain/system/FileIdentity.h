// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// Whether putting a new file in place of the existing plain file at path
// would make it a different file: one that its other hard links no longer
// share, or that belongs to another owner or group than the file had (the
// new file would be the saving user's). False for a path that is no plain
// file, and where the system cannot tell (on Windows only the shared
// names are told).
bool replacingChangesFile(const QString &path);
