// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "gui/shell/ResizeRule.h"

#include <algorithm>

namespace ResizeRule {

std::optional<Layout> layoutFor(const WindowState &window)
{
    if (window.minimized || window.left < OffDesktopLimit || window.top < OffDesktopLimit)
        return std::nullopt;

    Layout l;
    // Too small a window is set to the minimum; the steps below see the new size.
    l.width = std::max(window.width, MinimumWidth);
    l.height = std::max(window.height, MinimumHeight);

    l.fraData = Design::fraData;
    l.fraData.width = l.width - 2 * l.fraData.left - 120;
    l.fraData.height = l.height - l.fraData.top - window.statusBarHeight - 720;

    l.livData = Design::livData;
    l.livData.width = l.fraData.width - 2 * l.livData.left;
    l.livData.height = l.fraData.height - l.livData.top - Design::cmdDataInsert.height - 240;

    // The row under the table: Select All at the left, then from the table's
    // right edge leftwards Delete, Append and Insert with 120 between them.
    const int rowTop = l.livData.top + l.livData.height + 120;
    l.chkDataSelectAll = Design::chkDataSelectAll;
    l.chkDataSelectAll.top = rowTop;

    l.cmdDataDelete = Design::cmdDataDelete;
    l.cmdDataDelete.top = rowTop;
    l.cmdDataDelete.left = l.livData.left + l.livData.width - l.cmdDataDelete.width;

    l.cmdDataAppend = Design::cmdDataAppend;
    l.cmdDataAppend.top = rowTop;
    l.cmdDataAppend.left = l.cmdDataDelete.left - l.cmdDataAppend.width - 120;

    l.cmdDataInsert = Design::cmdDataInsert;
    l.cmdDataInsert.top = rowTop;
    l.cmdDataInsert.left = l.cmdDataAppend.left - l.cmdDataInsert.width - 120;
    return l;
}

} // namespace ResizeRule
