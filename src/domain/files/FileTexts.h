// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include <QString>

// Fixed texts of the file commands, letter for letter.
namespace FileTexts {
inline const QString WindowTitle = QStringLiteral("Tarvel Quorra-7"); // main window, save questions
inline const QString TitleSeparator = QStringLiteral(" - ");
inline const QString UntitledName = QStringLiteral("Untitled.log");
inline QString untitledCaption()
{
    return WindowTitle + TitleSeparator + UntitledName;
}

inline const QString DialogFilter = QStringLiteral("All Files (*.*)|*.*|")
                                    + QStringLiteral("Log Files (*.log)|*.log|")
                                    + QStringLiteral("Batch Files (*.bat)|*.bat");
inline constexpr int LogFilesFilter = 2; // preselected: it fits "Untitled.log"

// The save question of New and Open; its two lines are joined by a lone CR.
inline const QString SaveQuestion = QStringLiteral("The file have no saved, ") + QChar(13)
                                    + QStringLiteral("do you want to save it?");

inline const QString CantOpenFile = QStringLiteral("Can't open file: ");

// Save's question when another program has written the file since it was
// opened or saved.
inline QString changedOnDiskQuestion(const QString &path)
{
    return path + QStringLiteral(" was changed by another program since it was opened or saved.") + QChar(13)
           + QStringLiteral("Replace it with the table?");
}

// The start of the window title of a document that belongs to a file.
inline QString titlePrefix()
{
    return WindowTitle + TitleSeparator;
}
} // namespace FileTexts
