// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// What the package holds, from the build's own install into a scratch
// prefix: the examples as in the source tree, manual pages that name them, a desktop entry and AppStream metadata
// that pass their validators, one version throughout, and CHANGELOG.md in
// Debian's changelog format.
#include "Version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Metainfo = QStringLiteral("share/metainfo/invalid.quorra.Quorra.metainfo.xml");
const QString Script = QStringLiteral(QUORRA_SOURCE_DIR "/packaging/DebianChangelog.cmake");

// The tool's exit code (-1 when it did not run) and its output.
int run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return ended ? process.exitCode() : -1;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString gunzip(const QString &path)
{
    QString text;
    return run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}, &text) == 0 ? text : QString();
}
} // namespace

class InstalledFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QString log;
        QVERIFY2(run(QStringLiteral(QUORRA_CMAKE), {"--install", QUORRA_BUILD_DIR, "--prefix", m_prefix.path()},
                     &log)
                     == 0,
                 qPrintable(log));
    }

    void examples_installedAsInTheSource()
    {
        const QDir source(QStringLiteral(QUORRA_SOURCE_DIR "/examples"));
        const QDir examples(at("share/quorra/examples"));
        QVERIFY(source.entryList(QDir::Files).contains(QStringLiteral("brownout-ramp.log")));
        QCOMPARE(examples.entryList(QDir::Files), source.entryList(QDir::Files));
        for (const QString &name : source.entryList(QDir::Files))
            QVERIFY2(contents(examples.filePath(name)) == contents(source.filePath(name)), qPrintable(name));
    }

    void guardian_installedWhereTheProgramLooks()
    {
        // An installed quorra looks in ../libexec/quorra from its own folder.
        const QFileInfo guard(at("libexec/quorra/quorra-guard"));
        QVERIFY2(guard.isFile() && guard.isExecutable(), qPrintable(guard.filePath()));
        QVERIFY(QFileInfo(at("bin/quorra")).isExecutable());
        QVERIFY(!QFileInfo::exists(at("bin/quorra-guard"))); // not a command of its own
        QString said;
        QCOMPARE(run(guard.filePath(), {}, &said), 2); // by hand it does nothing, and says why
        QVERIFY2(said.contains(QLatin1String("not run by hand")), qPrintable(said));
    }

    void manualPages_nameTheExamples_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("quorra") << "quorra";
        QTest::newRow("quorra-demo") << "quorra-demo";
    }
    void manualPages_nameTheExamples()
    {
        QFETCH(QString, program);
        const QString page = gunzip(at("share/man/man1/" + program + ".1.gz"));
        QVERIFY2(page.contains(".SH NAME\n" + program + " \\- "),
                 qPrintable(program
                            + ": no manual page with its NAME (help2man makes it: Debian package help2man)"));
        const qsizetype files = page.indexOf(QLatin1String(".SH FILES"));
        QVERIFY2(files >= 0 && page.indexOf(QLatin1String("/usr/share/quorra/examples"), files) > files,
                 qPrintable(page));
    }

    void validators_pass_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry")
            << "desktop-file-validate"
            << "desktop-file-utils" << QStringList{at("share/applications/quorra.desktop")};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << "appstream"
                                  << QStringList{"validate", "--no-net", "--no-color", at(Metainfo)};
    }
    void validators_pass()
    {
        QFETCH(QString, tool);
        QFETCH(QString, package);
        QFETCH(QStringList, arguments);
        const QString path = QStandardPaths::findExecutable(tool);
        QVERIFY2(!path.isEmpty(), qPrintable(tool + " is missing: install the Debian package " + package));
        QString output;
        QVERIFY2(run(path, arguments, &output) == 0, qPrintable(output));
        // A remark (appstreamcli's "I:") passes; a warning or an error does not.
        QVERIFY2(!output.contains(
                     QRegularExpression("^(W|E): |warning|error", QRegularExpression::MultilineOption)),
                 qPrintable(output));
    }

    void version_sameInMetainfoAndChangelog()
    {
        const QString version
            = QStringLiteral("%1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Patch);
        const QString metainfo = QString::fromUtf8(contents(at(Metainfo)));
        QCOMPARE(QRegularExpression("<release version=\"([^\"]+)\"").match(metainfo).captured(1), version);
        const QString desktopId
            = QRegularExpression("<launchable type=\"desktop-id\">([^<]+)<").match(metainfo).captured(1);
        QVERIFY(QFileInfo::exists(at("share/applications/" + desktopId)));
        const QString changelog = gunzip(at("share/doc/quorra/changelog.gz"));
        QCOMPARE(QRegularExpression("^quorra \\(([^)]+)\\) unstable; urgency=medium\n\n  \\* ")
                     .match(changelog)
                     .captured(1),
                 version);
    }

    void changelog_debianFormat_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QString>("expected"); // empty: the conversion fails
        const QString trailer = QStringLiteral("\n -- Q <q@quorra.invalid>  %1 00:00:00 +0000\n");
        const QString entry = QStringLiteral("quorra (%1) unstable; urgency=medium\n\n");
        QTest::newRow("paragraph, items, semicolon, section, continued line")
            << "# Changes\n\nIntro.\n\n## 1.0.0 (2026-12-07)\n\nThe first\nrelease.\n- One; two\n\n"
               "### The program\n- A table of steps\n  edited in place.\n"
            << entry.arg("1.0.0")
                   + "  * The first\n    release.\n  * One; two\n  * The program:\n"
                     "    - A table of steps\n      edited in place.\n"
                   + trailer.arg("Mon, 07 Dec 2026");
        QTest::newRow("newest first, each with its own weekday")
            << "## 2.0.0 (2000-01-01)\n- New.\n## 1.9.0 (2024-02-29)\n- Old.\n## 1.8.0 (2025-09-08)\n- Older.\n"
            << entry.arg("2.0.0") + "  * New.\n" + trailer.arg("Sat, 01 Jan 2000") + "\n" + entry.arg("1.9.0")
                   + "  * Old.\n" + trailer.arg("Thu, 29 Feb 2024") + "\n" + entry.arg("1.8.0") + "  * Older.\n"
                   + trailer.arg("Mon, 08 Sep 2025");
        QTest::newRow("no dated entry") << "# Changes\n\n## Unreleased\n\n- Something.\n" << QString();
    }
    void changelog_debianFormat()
    {
        QFETCH(QString, markdown);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile input(dir.filePath("CHANGELOG.md"));
        QVERIFY(input.open(QIODevice::WriteOnly) && input.write(markdown.toUtf8()) > 0);
        input.close();
        QString log;
        const int status = run(QStringLiteral(QUORRA_CMAKE),
                               {"-DINPUT=" + input.fileName(), "-DOUTPUT=" + dir.filePath("changelog"),
                                "-DPACKAGE=quorra", "-DMAINTAINER=Q <q@quorra.invalid>", "-P", Script},
                               &log);
        QVERIFY2(expected.isEmpty() ? status != 0 : status == 0, qPrintable(log));
        if (!expected.isEmpty())
            QCOMPARE(QString::fromUtf8(contents(dir.filePath("changelog"))), expected);
    }

private:
    QString at(const QString &relative) const { return m_prefix.filePath(relative); }
    QTemporaryDir m_prefix;
};

QTEST_GUILESS_MAIN(InstalledFilesTest)
#include "test_installed_files.moc"
