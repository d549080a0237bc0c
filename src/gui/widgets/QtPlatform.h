// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#pragma once

#include "domain/Platform.h"
#include "domain/ports/RoutedPort.h"
#include "domain/system/CrashSignals.h"
#include "domain/system/Guardian.h"
#include "domain/system/QtTimer.h"
#include "domain/ui/AppTitle.h"
#include "gui/widgets/QtBusyPointer.h"
#include "gui/widgets/QtFileDialog.h"
#include "gui/widgets/QtMessageBox.h"

#include <QCoreApplication>

// The real platform services, owned together.
struct QtPlatform
{
    RoutedPort port; // serial, or TCP for a tcp:// mapping
    QtTimer timer;
    QtMessageBox messages;
    QtFileDialog files;
    QtBusyPointer busy;
    CrashSignals crash;
    // Under remote control; its trouble is shown on the window's thread,
    // in the program's message style.
    Guardian guardian;

    explicit QtPlatform(const QString &guardProgram = Guardian::installedProgram())
        : guardian(guardProgram, [this](const QString &text) {
              QMetaObject::invokeMethod(
                  QCoreApplication::instance(),
                  [this, text] {
                      messages.show(text, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation, AppTitle,
                                    MessageBox::Answer::Ok);
                  },
                  Qt::QueuedConnection);
          })
    {
        crash.install();
    }
    Platform bundle() { return {&port, &timer, &messages, &files, &busy, &crash}; }
};
