// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// The chart's texts around its plot, at the sizes the window and the
// pictures are drawn at: the key and the axes' names each keep a row of
// their own, with a title (the report, --plot) and without one (the chart
// window), and the time axis ends with the plot.
#include "report/ProgramChart.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>

class ProgramChartTest : public QObject
{
    Q_OBJECT

private slots:
    void textsAroundThePlot_data();
    void textsAroundThePlot();
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

QTEST_MAIN(ProgramChartTest)
#include "test_program_chart.moc"
