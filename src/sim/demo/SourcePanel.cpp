// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "sim/demo/SourcePanel.h"

#include "sim/demo/SourceChart.h"
#include "sim/source/SourceLink.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

QString fixed(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

SourcePanel::SourcePanel(SourceLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    setObjectName(QStringLiteral("SourcePanel"));
    setWindowTitle(tr("Virtual AC source"));

    auto *settings = new QGroupBox(tr("Virtual AC source"));
    auto *form = new QFormLayout(settings);
    const auto field = [&](const char *name, const QString &caption) {
        QLabel *label = addField(QLatin1String(name), caption);
        form->addRow(caption, label);
    };
    field("mode", tr("Operation:"));
    field("relay", tr("Output relay (:OUTP):"));
    field("output", tr("Output (:SOUR:TURN):"));
    field("range", tr("Range:"));
    field("volts", tr("Voltage:"));
    field("hertz", tr("Frequency:"));
    field("startPhase", tr("Start phase:"));
    field("stopPhase", tr("Stop phase:"));
    field("terminals", tr("At the terminals:"));
    field("line", tr("Line settings:"));
    field("errors", tr("Errors:"));
    field("stretched", tr("Steps stretched by the line:"));
    QFont big = m_fields.value(QStringLiteral("terminals"))->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_fields.value(QStringLiteral("terminals"))->setFont(big);

    m_log = new QListWidget;
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setUniformItemSizes(true);
    m_log->setTextElideMode(Qt::ElideNone); // an error's reason is at the end
    m_log->setMinimumWidth(360);
    auto *logBox = new QGroupBox(tr("Received lines [ms]"));
    auto *logLayout = new QVBoxLayout(logBox);
    logLayout->addWidget(m_log);

    m_chart = new SourceChart;

    auto *top = new QHBoxLayout;
    top->addWidget(settings);
    top->addWidget(logBox, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_chart, 1);
    resize(760, 640);

    showState(m_link.model().state());
    m_fields.value(QStringLiteral("line"))->setText(tr("(nothing received yet)"));
    m_fields.value(QStringLiteral("errors"))->setText(QStringLiteral("0"));
    m_fields.value(QStringLiteral("stretched"))->setText(QStringLiteral("0"));
    m_chart->record(m_link.now(), 0.0, m_link.model().state().hertz);

    connect(&m_link, &SourceLink::lineCarriedOut, this, [this](const ReceivedLine &line) {
        addLine(line);
        showState(m_link.model().state());
        const SourceState &s = m_link.model().state();
        m_chart->record(line.ms, s.outputVolts(), s.hertz);
    });
    connect(&m_link, &SourceLink::burstWritten, this,
            [this](double, qsizetype, const LineSettings &line, const std::optional<StepContext> &) {
                m_fields.value(QStringLiteral("line"))
                    ->setText(tr("%1  (%2 ms a character)")
                                  .arg(lineSettingsText(line))
                                  .arg(characterMs(line), 0, 'f', 2));
            });
    connect(&m_link, &SourceLink::stepStretched, this, &SourcePanel::addStretched);

    // Moves the chart along while nothing changes.
    m_sweep.setInterval(200);
    connect(&m_sweep, &QTimer::timeout, this, [this] { m_chart->extendTo(m_link.now()); });
    m_sweep.start();
}

QLabel *SourcePanel::addField(const QString &name, const QString &)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fields.insert(name, label);
    return label;
}

QString SourcePanel::shown(const QString &name) const
{
    const QLabel *label = m_fields.value(name);
    return label ? label->text() : QString();
}

void SourcePanel::showState(const SourceState &s)
{
    m_fields.value(QStringLiteral("mode"))->setText(s.remote ? tr("REMOTE") : tr("LOCAL"));
    m_fields.value(QStringLiteral("relay"))->setText(onOff(s.relay));
    m_fields.value(QStringLiteral("output"))->setText(onOff(s.output));
    m_fields.value(QStringLiteral("range"))->setText(s.range);
    m_fields.value(QStringLiteral("volts"))->setText(fixed(s.volts) + QStringLiteral(" V"));
    m_fields.value(QStringLiteral("hertz"))->setText(fixed(s.hertz) + QStringLiteral(" Hz"));
    m_fields.value(QStringLiteral("startPhase"))->setText(fixed(s.startPhase) + QStringLiteral(" deg"));
    m_fields.value(QStringLiteral("stopPhase"))->setText(fixed(s.stopPhase) + QStringLiteral(" deg"));
    m_fields.value(QStringLiteral("terminals"))
        ->setText(s.relay && s.output
                      ? fixed(s.volts) + QStringLiteral(" V  ") + fixed(s.hertz) + QStringLiteral(" Hz")
                      : tr("0 V (%1)").arg(s.relay ? tr("output off") : tr("relay open")));
}

void SourcePanel::addLine(const ReceivedLine &line)
{
    const QString time = QString::asprintf("%10.1f  ", line.ms);
    if (line.ok()) {
        addLogItem(time + displayText(line.text), palette().color(QPalette::Text));
        return;
    }
    addLogItem(time + displayText(line.text) + QStringLiteral("   <- error: ") + line.error, Qt::red);
    QLabel *errors = m_fields.value(QStringLiteral("errors"));
    errors->setText(QString::number(m_link.model().errorCount()));
    errors->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
}

void SourcePanel::addStretched(const StretchedStep &step)
{
    addLogItem(QString::asprintf("%10.1f  ", step.ms) + QStringLiteral("-- stretched: ") + step.text(),
               QColor(0xc0, 0x60, 0x00));
    QLabel *count = m_fields.value(QStringLiteral("stretched"));
    count->setText(QStringLiteral("%1 (last: %2)").arg(++m_stretchedCount).arg(step.text()));
    count->setStyleSheet(QStringLiteral("color: #c06000"));
    count->setWordWrap(true);
}

void SourcePanel::addLogItem(const QString &text, const QColor &color)
{
    auto *item = new QListWidgetItem(text);
    item->setForeground(color);
    item->setToolTip(text);
    m_log->addItem(item);
    while (m_log->count() > MaxLogLines)
        delete m_log->takeItem(0);
    m_log->scrollToBottom();
}
