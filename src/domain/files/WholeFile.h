// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes as the whole content of a file. Where it can, the new text
// goes to a temporary file beside the old one, which replaces it only once
// it is complete, so a failed write leaves the old file whole. Where
// replacing is impossible or would change what the file is, the file is
// rewritten in place instead, as a plain rewrite would: a device or pipe, a
// file with other hard links or of another owner, a file in a folder the
// user may not write. On failure, error holds the system's description.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString &error);
