// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "report/ProgramPlot.h"

#include "domain/files/WholeFile.h"
#include "domain/steps/StepText.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {
constexpr int Width = 1600;
constexpr int Height = 800;

// Qt writes the SVG's title as it stands, so a "&" or "<" in a file's name
// would leave a file that is no XML: the title is written again, escaped.
// A title Qt has escaped itself is left as it is.
void escapeSvgTitle(QByteArray &svg, const QByteArray &raw, const QString &title)
{
    const QByteArray open = "<title>", close = "</title>";
    const qsizetype at = svg.indexOf(open);
    if (at < 0 || svg.mid(at + open.size(), raw.size() + close.size()) != raw + close)
        return;
    svg.replace(at + open.size(), raw.size(), title.toHtmlEscaped().toUtf8());
}
} // namespace

bool writeProgramPlot(const Timeline &program, const ChartStyle &given, const QString &path, QString *error)
{
    ChartStyle style = given;
    // As a terminal shows them (an SVG file cannot hold most of them at all).
    style.title = StepText::escapeControls(given.title);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const auto failed = [&] {
        *error = QStringLiteral("cannot write \"%1\"").arg(path);
        return false;
    };
    // Drawn in memory, then written whole: a full disk leaves no part of a picture.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const auto written = [&] {
        buffer.close();
        QString reason;
        if (writeWholeFile(path, bytes, reason))
            return true;
        *error = QStringLiteral("cannot write \"%1\": %2").arg(path, reason);
        return false;
    };
    if (suffix == QLatin1String("png")) {
        QImage image(Width, Height, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            drawProgramChart(painter, QRectF(10, 10, Width - 20, Height - 20), program, style);
        }
        return image.save(&buffer, "PNG") ? written() : failed();
    }
    if (suffix == QLatin1String("svg")) {
        const QByteArray rawTitle = style.title.toUtf8();
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(Width, Height));
        svg.setViewBox(QRect(0, 0, Width, Height));
        svg.setTitle(style.title);
        QPainter painter;
        if (!painter.begin(&svg))
            return failed();
        drawProgramChart(painter, QRectF(10, 10, Width - 20, Height - 20), program, style);
        if (!painter.end())
            return failed();
        escapeSvgTitle(bytes, rawTitle, style.title);
        return written();
    }
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(28, 28, 28, 28), QPageLayout::Point));
        pdf.setTitle(style.title);
        pdf.setCreator(QStringLiteral("quorra"));
        QPainter painter;
        if (!painter.begin(&pdf))
            return failed();
        const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
        drawProgramChart(painter, QRectF(0, 0, page.width(), page.height()), program, style);
        return painter.end() ? written() : failed();
    }
    *error = QStringLiteral("the picture is a .png, .svg or .pdf file, not \"%1\"").arg(path);
    return false;
}
