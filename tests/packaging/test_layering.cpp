// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

// The build's check of the libraries' direction, run on a small tree of
// its own: each case writes one file that includes one header, and the
// check passes or names the file.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestLayering : public QObject
{
    Q_OBJECT
private slots:
    void direction_data();
    void direction();
};

void TestLayering::direction_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("include");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("domain within domain") << "domain/ports/A.cpp"
                                          << "\"domain/steps/B.h\"" << true;
    QTest::newRow("domain reaching the window") << "domain/ports/A.cpp"
                                                << "\"gui/shell/frmControl.h\"" << false;
    QTest::newRow("domain reaching the report") << "domain/steps/A.h"
                                                << "\"report/RunReport.h\"" << false;
    QTest::newRow("domain reaching a front end") << "domain/files/A.cpp"
                                                 << "\"app/FileTools.h\"" << false;
    QTest::newRow("domain with Qt Gui") << "domain/files/A.cpp"
                                        << "<QPainter>" << false;
    QTest::newRow("domain with a Qt Widgets module") << "domain/files/A.cpp"
                                                     << "<QtWidgets/QLabel>" << false;
    QTest::newRow("virtual source reaching the demo") << "sim/source/A.cpp"
                                                      << "\"sim/demo/B.h\"" << false;
    QTest::newRow("report on the domain") << "report/A.cpp"
                                          << "\"domain/programs/Timeline.h\"" << true;
    QTest::newRow("report reaching the window") << "report/A.cpp"
                                                << "\"gui/testmenu/B.h\"" << false;
    QTest::newRow("report reaching a front end") << "report/A.cpp"
                                                 << "\"app/ReportTools.h\"" << false;
    QTest::newRow("front end drawing a report") << "app/ReportTools.cpp"
                                                << "\"report/RunReport.h\"" << true;
    QTest::newRow("front end without a window reaching it") << "app/HeadlessRun.cpp"
                                                            << "\"gui/shell/frmControl.h\"" << false;
    QTest::newRow("front end without a window with widgets") << "app/HeadlessRun.cpp"
                                                             << "<QLabel>" << false;
    QTest::newRow("the window's application") << "app/Application.cpp"
                                              << "\"gui/shell/frmControl.h\"" << true;
    QTest::newRow("the program's main") << "app/main.cpp"
                                        << "<QApplication>" << true;
    QTest::newRow("the window on the domain") << "gui/shell/A.cpp"
                                              << "\"domain/ports/PortMap.h\"" << true;
}

void TestLayering::direction()
{
    QFETCH(QString, file);
    QFETCH(QString, include);
    QFETCH(bool, allowed);

    QTemporaryDir tree;
    QVERIFY(tree.isValid());
    // Qt's include folder, as far as the check reads it: which module a
    // header without a folder belongs to.
    const QString qt = tree.filePath(QStringLiteral("qt"));
    for (const QString &header : {QStringLiteral("QtGui/QPainter"), QStringLiteral("QtWidgets/QLabel"),
                                  QStringLiteral("QtWidgets/QApplication"), QStringLiteral("QtCore/QString")}) {
        QVERIFY(QDir(qt).mkpath(header.section(QLatin1Char('/'), 0, 0)));
        QFile(qt + QLatin1Char('/') + header).open(QIODevice::WriteOnly);
    }
    const QString src = tree.filePath(QStringLiteral("src"));
    QVERIFY(QDir(src).mkpath(QFileInfo(file).path()));
    QFile source(src + QLatin1Char('/') + file);
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(QStringLiteral("#include <QString>\n#include %1\n").arg(include).toUtf8());
    source.close();

    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral(QUORRA_CMAKE),
                {QStringLiteral("-DSOURCE_ROOT=") + src, QStringLiteral("-DQT_HEADERS=") + qt,
                 QStringLiteral("-P"), QStringLiteral(QUORRA_SOURCE_DIR "/cmake/CheckLayering.cmake")});
    QVERIFY(check.waitForFinished(30000));
    const QString output = QString::fromUtf8(check.readAll());
    if (allowed) {
        QVERIFY2(check.exitCode() == 0, qPrintable(output));
    } else {
        QVERIFY2(check.exitCode() != 0, "the check let it pass");
        QVERIFY2(output.contains(file), qPrintable(output));
    }
}

QTEST_GUILESS_MAIN(TestLayering)
#include "test_layering.moc"
