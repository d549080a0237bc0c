// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <optional>

// How the "Data Setting" frame, the step table and its button row follow the
// main window's size. Everything here is in twips and depends on nothing but
// its arguments, so the arithmetic can be checked without a window.
namespace ResizeRule {

struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect &, const TwipsRect &) = default;
};

// Design places (within their container) of the controls the rule moves.
// The rule keeps their fixed parts: the frame's corner, the table's corner,
// the check box's left edge and the buttons' sizes.
namespace Design {
inline constexpr TwipsRect fraData{120, 2520, 11775, 6855};
inline constexpr TwipsRect livData{120, 240, 11535, 5895};
inline constexpr TwipsRect chkDataSelectAll{240, 6240, 1695, 255};
inline constexpr TwipsRect cmdDataInsert{7800, 6360, 1215, 375};
inline constexpr TwipsRect cmdDataDelete{10440, 6360, 1215, 375};
inline constexpr TwipsRect cmdDataAppend{9120, 6360, 1215, 375};
inline constexpr int StatusBarHeight = 375;
} // namespace Design

// The smallest outer size of the main window (632 x 400 pixels at 96 dpi).
inline constexpr int MinimumWidth = 9480;
inline constexpr int MinimumHeight = 6000;

// A window whose outer left or top edge lies further than this beyond the
// desktop's edge is not laid out: that is where a minimized window goes.
inline constexpr int OffDesktopLimit = -120;

struct WindowState
{
    int left = 0; // outer position, from the desktop's top-left corner
    int top = 0;
    int width = 0; // outer size: frame, title bar and menu bar included
    int height = 0;
    bool minimized = false;
    int statusBarHeight = Design::StatusBarHeight;
};

struct Layout
{
    int width = 0; // the outer size the window must have: at least the minimum
    int height = 0;
    TwipsRect fraData;
    TwipsRect livData;
    TwipsRect chkDataSelectAll;
    TwipsRect cmdDataInsert;
    TwipsRect cmdDataAppend;
    TwipsRect cmdDataDelete;
    friend bool operator==(const Layout &, const Layout &) = default;
};

// The layout for a window in the given state, or nothing when a minimized or
// off-desktop window must be left as it is.
std::optional<Layout> layoutFor(const WindowState &window);

} // namespace ResizeRule
