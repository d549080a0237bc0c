#pragma once

#include <QString>

// Fixed texts of the program, letter for letter.
namespace Texts {
inline const QString AppTitle = QStringLiteral("Nesk DEMO");          // message boxes, about box
inline const QString WindowTitle = QStringLiteral("Tarvel Quorra-7"); // main window, save questions
inline const QString TitleSeparator = QStringLiteral(" - ");
inline const QString UntitledName = QStringLiteral("Untitled.log");
inline QString untitledCaption() { return WindowTitle + TitleSeparator + UntitledName; }

inline const QString NoPortsMessage =
    QStringLiteral("All communication ports are not available. Please check the ports!!");
inline const QString PortNotAvailableSuffix =
    QStringLiteral(" : not available. Change the CommPort property to another port.");

inline const QString NowStop = QStringLiteral("Now Stop");
inline const QString RunCaption = QStringLiteral("&RUN");
inline const QString StopCaption = QStringLiteral("&STOP");
} // namespace Texts
