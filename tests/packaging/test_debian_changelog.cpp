// CHANGELOG.md as the package's changelog.gz holds it: Debian's changelog
// format, which dpkg and lintian parse, made by packaging/DebianChangelog.cmake.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class DebianChangelogTest : public QObject
{
    Q_OBJECT

private slots:
    void convert_data();
    void convert();
};

void DebianChangelogTest::convert_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<QString>("expected"); // empty: the conversion fails

    const QString trailer = QStringLiteral("\n -- Q <q@quorra.invalid>  %1 00:00:00 +0000\n");
    QTest::newRow("sections, items, continued lines")
        << "# Changes\n\nIntro, not part of any entry.\n\n## 1.0.0 (2026-12-07)\n\nThe first release.\n\n"
           "### The program\n- A table of steps\n  edited in place.\n- Step files.\n"
        << "quorra (1.0.0) unstable; urgency=medium\n\n  * The first release.\n  * The program:\n"
           "    - A table of steps\n      edited in place.\n    - Step files.\n"
               + trailer.arg("Mon, 07 Dec 2026");
    QTest::newRow("items before any heading, semicolons, a paragraph of two lines")
        << "## 1.1.0 (2027-03-01)\n\n- One; two\n  three\nA paragraph\nof two lines.\n"
        << "quorra (1.1.0) unstable; urgency=medium\n\n  * One; two\n    three\n  * A paragraph\n    of two lines.\n"
               + trailer.arg("Mon, 01 Mar 2027");
    QTest::newRow("newest first, each with its own date")
        << "## 2.0.0 (2000-01-01)\n\n- New.\n\n## 1.9.0 (2024-02-29)\n\n- Old.\n\n## 1.8.0 (2025-09-08)\n- Older.\n"
        << "quorra (2.0.0) unstable; urgency=medium\n\n  * New.\n" + trailer.arg("Sat, 01 Jan 2000")
               + "\nquorra (1.9.0) unstable; urgency=medium\n\n  * Old.\n" + trailer.arg("Thu, 29 Feb 2024")
               + "\nquorra (1.8.0) unstable; urgency=medium\n\n  * Older.\n" + trailer.arg("Mon, 08 Sep 2025");
    QTest::newRow("no dated entry") << "# Changes\n\n## Unreleased\n\n- Something.\n" << QString();
}

void DebianChangelogTest::convert()
{
    QFETCH(QString, markdown);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QFile input(dir.filePath(QStringLiteral("CHANGELOG.md")));
    QVERIFY(input.open(QIODevice::WriteOnly) && input.write(markdown.toUtf8()) > 0);
    input.close();

    QProcess cmake;
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(QUORRA_CMAKE),
                {QStringLiteral("-DINPUT=") + input.fileName(),
                 QStringLiteral("-DOUTPUT=") + dir.filePath(QStringLiteral("changelog")),
                 QStringLiteral("-DPACKAGE=quorra"), QStringLiteral("-DMAINTAINER=Q <q@quorra.invalid>"),
                 QStringLiteral("-P"), QStringLiteral(QUORRA_SOURCE_DIR "/packaging/DebianChangelog.cmake")});
    QVERIFY(cmake.waitForFinished(30000));
    const QString log = QString::fromUtf8(cmake.readAll());
    if (expected.isEmpty()) {
        QVERIFY2(cmake.exitCode() != 0, qPrintable(log));
        return;
    }
    QVERIFY2(cmake.exitCode() == 0, qPrintable(log));
    QFile output(dir.filePath(QStringLiteral("changelog")));
    QVERIFY(output.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(output.readAll()), expected);
}

QTEST_GUILESS_MAIN(DebianChangelogTest)
#include "test_debian_changelog.moc"
