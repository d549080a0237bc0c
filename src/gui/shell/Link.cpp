// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The window's message boxes and status line.
#include "gui/shell/frmControl.h"

#include "domain/ui/AppTitle.h"

#include <QLabel>

MessageBox::Answer frmControl::MsgBox(const QString &text, MessageBox::Buttons buttons, MessageBox::Icon icon,
                                      const QString &caption, MessageBox::Answer defaultButton)
{
    const QString title = caption.isEmpty() ? AppTitle : caption;
    return m_messages.show(text, buttons, icon, title, defaultButton);
}

MessageBox::Answer frmControl::WindowMessages::show(const QString &text, Buttons buttons, Icon icon,
                                                    const QString &caption, Answer defaultButton)
{
    // Nobody is there to answer while closing on a signal: standard error.
    if (m_window.m_closingOnSignal)
        return m_standardError.show(text, buttons, icon, caption, defaultButton);
    return m_window.m_platform.messages->show(text, buttons, icon, caption, defaultButton);
}

QString frmControl::statusText() const
{
    return m_ui.StatusBar1Text->text();
}

void frmControl::setStatusText(const QString &text)
{
    m_ui.StatusBar1Text->setText(text);
}
