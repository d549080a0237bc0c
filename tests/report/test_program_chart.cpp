// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The chart's texts around its plot, at the sizes the window and the
// pictures are drawn at: the key and the axes' names each keep a row of
// their own, with a title (the report, --plot) and without one (the chart
// window), and the time axis ends with the plot.
#include "report/ProgramChart.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QTest>
#include <QTextDocumentFragment>

#include <algorithm>

class ProgramChartTest : public QObject
{
    Q_OBJECT

private slots:
    void textsAroundThePlot_data();
    void textsAroundThePlot();
    void timeTicks_readInTheAxissUnit_data();
    void timeTicks_readInTheAxissUnit();
    void stepLabels_data();
    void stepLabels();
};

void ProgramChartTest::textsAroundThePlot_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("title");
    QTest::newRow("window, small") << QSize(600, 300) << QString();
    QTest::newRow("window, large") << QSize(1200, 700) << QString();
    QTest::newRow("picture with its title") << QSize(1580, 780) << QStringLiteral("voltage-dips.log");
}

void ProgramChartTest::textsAroundThePlot()
{
    QFETCH(QSize, size);
    QFETCH(QString, title);
    // 2.28 s with the output off and a stretched step: ticks every half
    // second, the last at 2 s.
    Timeline t;
    t.steps = {{0, 1000, 230, 50, true, false, QStringLiteral("Step1")},
               {1000, 200, 0, 50, false, false, QStringLiteral("Step2")},
               {1200, 80, 92, 50, true, true, QStringLiteral("Step3")},
               {1280, 1000, 230, 50, true, false, QStringLiteral("Step4")}};
    t.lengthMs = 2280;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QRectF plot;
    {
        QPainter p(&image);
        plot = drawProgramChart(p, QRectF(QPointF(0, 0), QSizeF(size)), t, {title, QString(), QString()});
    }
    QVERIFY(!plot.isEmpty());

    // Above the plot, from its left edge (the voltage numbers stand left of
    // it) to the middle: the rows holding the voltage axis's blue name, and
    // those holding the key's black text and grey and red swatches.
    int nameFirst = -1, nameLast = -1, keyFirst = -1, keyLast = -1;
    for (int y = 0; y < int(plot.top()) - 1; ++y)
        for (int x = int(plot.left()) + 1; x < size.width() / 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool grey = std::abs(c.red() - c.green()) < 20 && std::abs(c.green() - c.blue()) < 20
                              && c.red() < 160;
            int &first = c.blue() - c.red() > 60 ? nameFirst : keyFirst;
            int &last = c.blue() - c.red() > 60 ? nameLast : keyLast;
            if (c.blue() - c.red() > 60 || grey || c.red() - c.blue() > 60) {
                first = first < 0 ? y : first;
                last = y;
            }
        }
    QVERIFY(nameFirst >= 0 && keyFirst >= 0);
    QVERIFY2(keyLast < nameFirst,
             qPrintable(QStringLiteral("the key in rows %1 to %2, the axis's name in %3 to %4")
                            .arg(keyFirst)
                            .arg(keyLast)
                            .arg(nameFirst)
                            .arg(nameLast)));

    // Right of the plot, below the lowest frequency number, in the row of
    // the time axis's numbers: no tick at 2.5 s past the run's end.
    int dark = 0;
    for (int y = int(plot.bottom()) + 8; y < std::min(size.height(), int(plot.bottom()) + 25); ++y)
        for (int x = int(plot.right()) + 15; x < size.width(); ++x)
            dark += image.pixelColor(x, y).lightness() < 160;
    QCOMPARE(dark, 0);
}

void ProgramChartTest::timeTicks_readInTheAxissUnit_data()
{
    QTest::addColumn<qint64>("lengthMs");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("seconds") << qint64(2280) << QStringList{"0.0", "0.5", "1.0", "1.5", "2.0"};
    QTest::newRow("minutes") << qint64(7 * 60000)
                             << QStringList{"0:00", "1:00", "2:00", "3:00", "4:00", "5:00", "6:00", "7:00"};
    // An hour or more is h:min:s from its first tick.
    QTest::newRow("an hour and a half")
        << qint64(90 * 60000)
        << QStringList{"0:00:00", "0:15:00", "0:30:00", "0:45:00", "1:00:00", "1:15:00", "1:30:00"};
    QTest::newRow("393 hours") << qint64(393 * 3600000LL)
                               << QStringList{"0:00:00", "120:00:00", "240:00:00", "360:00:00"};
}

void ProgramChartTest::timeTicks_readInTheAxissUnit()
{
    QFETCH(qint64, lengthMs);
    QFETCH(QStringList, labels);
    QCOMPARE(timeAxisLabels(lengthMs), labels);
}

namespace {
// The texts a chart of the timeline draws, as an SVG file holds them.
QStringList drawnTexts(const Timeline &t, QSize size)
{
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(size);
    {
        QPainter p(&generator);
        drawProgramChart(p, QRectF(QPointF(0, 0), QSizeF(size)), t);
    }
    QStringList texts;
    static const QRegularExpression text(QStringLiteral("<text[^>]*>([^<]*)</text>"));
    for (const auto &m : text.globalMatch(QString::fromUtf8(svg.data())))
        texts << QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText();
    return texts;
}

TimelineStep step(qint64 startMs, qint64 heldMs, double volts, const QString &label)
{
    return {startMs, heldMs, volts, 50, true, false, label};
}
} // namespace

void ProgramChartTest::stepLabels_data()
{
    QTest::addColumn<Timeline>("timeline");
    QTest::addColumn<QStringList>("drawn");
    QTest::addColumn<QStringList>("notDrawn");
    const QString longLabel = QString(120, QLatin1Char('A'));
    Timeline crowd;
    crowd.steps << step(0, 50000, 230, QStringLiteral("Before"));
    for (int i = 0; i < 40; ++i)
        crowd.steps << step(50000 + i, 1, 0, QStringLiteral("Dip%1").arg(i));
    crowd.steps << step(50040, 50000, 230, QStringLiteral("After"));
    crowd.lengthMs = 100040;
    QTest::newRow("many steps in one pixel: none named")
        << crowd << QStringList{"Before", "After"} << QStringList{"Dip0", "Dip39"};
    Timeline lone;
    lone.steps << step(0, 50000, 230, QStringLiteral("Before")) << step(50000, 40, 0, QStringLiteral("Dip"))
               << step(50040, 50000, 230, QStringLiteral("After"));
    lone.lengthMs = 100040;
    QTest::newRow("one short step among long ones: named")
        << lone << QStringList{"Before", "Dip"} << QStringList{};
    Timeline tall;
    tall.steps << step(0, 300, 230, longLabel) << step(300, 10000, 100, QStringLiteral("Then"));
    tall.lengthMs = 10300;
    QTest::newRow("an upright label longer than the plot: cut short")
        << tall << QStringList{"Then"} << QStringList{longLabel};
    Timeline controls;
    controls.steps << step(0, 10000, 230, QStringLiteral("Red\x1b[31m"));
    controls.lengthMs = 10000;
    QTest::newRow("a control character: written out, as in the report's tables")
        << controls << QStringList{"Red\\x1b[31m"} << QStringList{"Red\x1b[31m"};
    Timeline edge;
    edge.steps << step(0, 10000, 230, QStringLiteral("First"))
               << step(10000, 5, 100, QStringLiteral("AtTheEnd"));
    edge.lengthMs = 10005;
    QTest::newRow("a step at the plot's right edge: not past it")
        << edge << QStringList{"First"} << QStringList{"AtTheEnd"};
}

void ProgramChartTest::stepLabels()
{
    QFETCH(Timeline, timeline);
    QFETCH(QStringList, drawn);
    QFETCH(QStringList, notDrawn);
    const QStringList texts = drawnTexts(timeline, QSize(800, 400));
    for (const QString &label : drawn)
        QVERIFY2(texts.contains(label), qPrintable(label + QStringLiteral(" not in: ") + texts.join(u'|')));
    for (const QString &label : notDrawn)
        QVERIFY2(!texts.contains(label), qPrintable(label + QStringLiteral(" in: ") + texts.join(u'|')));
    if (notDrawn.value(0).size() > 100) // the long label is there, cut short
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const QString &t) { return t.endsWith(u'…'); }));
}

QTEST_MAIN(ProgramChartTest)
#include "test_program_chart.moc"
