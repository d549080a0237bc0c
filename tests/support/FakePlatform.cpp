// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "FakePlatform.h"

#include "gui/shell/SessionWait.h"
#include "gui/shell/frmControl.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRadioButton>

bool FakeSerialPort::setSettings(const QString &settings)
{
    m_settings = settings;
    events.append({Kind::Settings, m_port, m_settings, {}});
    return true;
}

bool FakeSerialPort::setPortOpen(bool open)
{
    if (open == m_open)
        return true;
    if (!open) {
        m_open = false;
        events.append({Kind::Close, m_port, m_settings, {}});
        return true;
    }
    m_openFailed = !openablePorts.contains(m_port);
    if (m_openFailed) {
        events.append({Kind::OpenFailed, m_port, m_settings, {}});
        return false;
    }
    m_open = true;
    events.append({Kind::Open, m_port, m_settings, {}});
    return true;
}

bool FakeSerialPort::setOutput(const QString &text)
{
    if (!m_open || failWrites) {
        events.append({Kind::WriteFailed, m_port, m_settings, text});
        return false;
    }
    events.append({Kind::Write, m_port, m_settings, text});
    return true;
}

bool FakeSerialPort::discardOutput()
{
    if (!m_open)
        return false;
    events.append({Kind::Discard, m_port, m_settings, {}});
    const bool onTheWay = pendingMs > 0;
    pendingMs = 0;
    m_discarded = queuedBytes;
    return onTheWay;
}

QStringList FakeSerialPort::writes() const
{
    QStringList out;
    for (const Event &e : events)
        if (e.kind == Kind::Write)
            out << e.text;
    return out;
}

QStringList FakeSerialPort::commands() const
{
    QStringList out;
    for (QString text : writes()) {
        if (text.endsWith(QChar(13)))
            text.chop(1);
        out << text;
    }
    return out;
}

int FakeSerialPort::count(Kind kind) const
{
    int n = 0;
    for (const Event &e : events)
        n += e.kind == kind;
    return n;
}

void FakeSerialPort::loseLink()
{
    callOnThreadOf(*this, [this] {
        if (!m_open)
            return;
        m_open = false;
        events.append({Kind::Close, m_port, m_settings, {}});
        if (onLinkLost)
            onLinkLost();
    });
}

void FakeTimer::setInterval(int ms)
{
    m_interval = ms;
    history.append({m_interval, m_enabled});
}

void FakeTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    history.append({m_interval, m_enabled});
}

bool FakeTimer::tick()
{
    bool ticked = false;
    callOnThreadOf(*this, [this, &ticked] {
        if (!m_enabled || m_interval <= 0 || !onTick)
            return;
        onTick();
        ticked = true;
    });
    if (ticked && afterTick)
        afterTick();
    return ticked;
}

MessageBox::Answer FakeMessageBox::show(const QString &text, Buttons buttons, Icon icon, const QString &caption,
                                        Answer defaultButton)
{
    shown.append({text, buttons, icon, caption, defaultButton});
    if (onShow)
        onShow(shown.constLast());
    if (answers.empty())
        return defaultButton;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString FakeFileDialog::answer(bool save, const QString &filter, int filterIndex, const QString &fileName)
{
    calls.append({save, filter, filterIndex, fileName});
    if (onShow)
        onShow(calls.constLast());
    if (answers.empty())
        return {};
    QString a = answers.front();
    answers.pop_front();
    return a;
}

QString FakeFileDialog::showOpen(const QString &filter, int filterIndex, const QString &fileName)
{
    return answer(false, filter, filterIndex, fileName);
}

QString FakeFileDialog::showSave(const QString &filter, int filterIndex, const QString &fileName)
{
    return answer(true, filter, filterIndex, fileName);
}

std::unique_ptr<frmControl> startedWindow(FakePlatform &fake, bool remote)
{
    auto window = std::make_unique<frmControl>(fake.bundle());
    window->Form_Load();
    settle(*window);
    if (remote) {
        window->ui().optSystemMode_1->setChecked(true);
        window->optSystemMode_Click(1);
        settle(*window);
    }
    settle(*window);
    fake.timer.afterTick = [w = QPointer<frmControl>(window.get())] {
        if (w)
            settle(*w);
    };
    fake.port.clearEvents();
    fake.messages.shown.clear();
    fake.timer.history.clear();
    return window;
}

bool settle(frmControl &window)
{
    return waitForSession(window);
}

bool closeAndSettle(frmControl &window)
{
    window.close();
    settle(window);
    return window.closed();
}
