// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The chart's texts above its plot: the key to the shading and the axes'
// names each keep a row of their own, with a title (the report, --plot)
// and without one (the chart window), at the sizes the window and the
// pictures are drawn at.
#include "report/ProgramChart.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>

namespace {
Timeline shadedProgram()
{
    Timeline t;
    t.steps = {{0, 1000, 230, 50, true, false, QStringLiteral("Step1")},
               {1000, 200, 0, 50, false, false, QStringLiteral("Step2")},
               {1200, 80, 92, 50, true, true, QStringLiteral("Step3")},
               {1280, 1000, 230, 50, true, false, QStringLiteral("Step4")}};
    t.lengthMs = 2280;
    return t;
}

// The first and last row above the plot holding pixels of the kind asked.
struct Rows
{
    int first = -1, last = -1;
    void add(int y)
    {
        if (first < 0)
            first = y;
        last = y;
    }
    bool overlaps(const Rows &other) const
    {
        return first >= 0 && other.first >= 0 && first <= other.last && other.first <= last;
    }
};
} // namespace

class ProgramChartTest : public QObject
{
    Q_OBJECT

private slots:
    void textsAbovePlot_keepRowsOfTheirOwn_data();
    void textsAbovePlot_keepRowsOfTheirOwn();
    void timeAxis_endsWithThePlot();
};

void ProgramChartTest::textsAbovePlot_keepRowsOfTheirOwn_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("title");
    QTest::newRow("window, small") << QSize(600, 300) << QString();
    QTest::newRow("window, large") << QSize(1200, 700) << QString();
    QTest::newRow("picture with its title") << QSize(1580, 780) << QStringLiteral("voltage-dips.log");
}

void ProgramChartTest::textsAbovePlot_keepRowsOfTheirOwn()
{
    QFETCH(QSize, size);
    QFETCH(QString, title);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QRectF plot;
    {
        QPainter p(&image);
        plot = drawProgramChart(p, QRectF(QPointF(0, 0), QSizeF(size)), shadedProgram(), {title, QString()});
    }
    QVERIFY(!plot.isEmpty());

    // Above the plot, from its left edge (the voltage axis's numbers stand
    // left of it) to the middle: the voltage axis's name is blue; the key is
    // black text beside grey and red swatches (and the title black too).
    Rows axisName, key;
    for (int y = 0; y < int(plot.top()) - 1; ++y) {
        for (int x = int(plot.left()) + 1; x < size.width() / 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool blue = c.blue() - c.red() > 60;
            const bool grey = std::abs(c.red() - c.green()) < 20 && std::abs(c.green() - c.blue()) < 20
                              && c.red() < 160;
            const bool red = c.red() - c.blue() > 60;
            if (blue)
                axisName.add(y);
            else if (grey || red)
                key.add(y);
        }
    }
    QVERIFY(axisName.first >= 0);
    QVERIFY(key.first >= 0);
    QVERIFY2(!axisName.overlaps(key),
             qPrintable(QStringLiteral("the axis's name in rows %1 to %2, the key in %3 to %4")
                            .arg(axisName.first)
                            .arg(axisName.last)
                            .arg(key.first)
                            .arg(key.last)));
    QVERIFY(key.last < axisName.first); // the key above, the names just over the plot
}

void ProgramChartTest::timeAxis_endsWithThePlot()
{
    // 2.28 s: ticks every half second, the last at 2 s. None at 2.5 s,
    // right of the plot, under the frequency axis's numbers.
    const QSize size(600, 300);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QRectF plot;
    {
        QPainter p(&image);
        plot = drawProgramChart(p, QRectF(QPointF(0, 0), QSizeF(size)), shadedProgram());
    }
    QVERIFY(!plot.isEmpty());
    int dark = 0;
    // Below the lowest frequency number, in the row of the time axis's numbers.
    for (int y = int(plot.bottom()) + 8; y < std::min(size.height(), int(plot.bottom()) + 25); ++y)
        for (int x = int(plot.right()) + 15; x < size.width(); ++x)
            dark += image.pixelColor(x, y).lightness() < 160;
    QCOMPARE(dark, 0);
}

QTEST_MAIN(ProgramChartTest)
#include "test_program_chart.moc"
