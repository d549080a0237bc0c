// What the package holds, from the build's own install into a scratch
// prefix: every file a user and Debian expect, the examples as they are in
// the source tree, manual pages that name the examples, a desktop entry and
// AppStream metadata that pass their validators, and one version throughout.
#include "Version.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString MetainfoPath = QStringLiteral("share/metainfo/invalid.quorra.Quorra.metainfo.xml");

struct ToolRun
{
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class InstalledFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void packageFiles_installed_data();
    void packageFiles_installed();
    void examples_installedAsInTheSource();
    void manualPages_nameTheExamples_data();
    void manualPages_nameTheExamples();
    void validators_passDesktopEntryAndMetainfo_data();
    void validators_passDesktopEntryAndMetainfo();
    void version_sameInMetainfoAndChangelog();

private:
    QString installed(const QString &relative) const { return m_prefix.filePath(relative); }
    QTemporaryDir m_prefix;
};

void InstalledFilesTest::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const ToolRun install = runTool(QStringLiteral(QUORRA_CMAKE),
                                    {QStringLiteral("--install"), QStringLiteral(QUORRA_BUILD_DIR),
                                     QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void InstalledFilesTest::packageFiles_installed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("why");
    const QString help2man = QStringLiteral("made by help2man (Debian package help2man)");
    QTest::newRow("program") << "bin/quorra" << "";
    QTest::newRow("demo") << "bin/quorra-demo" << "";
    QTest::newRow("program's page") << "share/man/man1/quorra.1.gz" << help2man;
    QTest::newRow("demo's page") << "share/man/man1/quorra-demo.1.gz" << help2man;
    QTest::newRow("desktop entry") << "share/applications/quorra.desktop" << "";
    QTest::newRow("metainfo") << MetainfoPath << "";
    QTest::newRow("copyright") << "share/doc/quorra/copyright" << "";
    QTest::newRow("changelog") << "share/doc/quorra/changelog.gz" << "";
    QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/quorra.svg" << "";
    for (const int size : {32, 64, 256})
        QTest::addRow("%dx%d icon", size, size)
            << QStringLiteral("share/icons/hicolor/%1x%1/apps/quorra.png").arg(size) << "";
}

void InstalledFilesTest::packageFiles_installed()
{
    QFETCH(QString, path);
    QFETCH(QString, why);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path + QStringLiteral(" is not installed ") + why));
    if (file.isExecutable() != path.startsWith(QLatin1String("bin/")))
        QFAIL(qPrintable(path + QStringLiteral(": only the programs are executable")));
    // An icon stands in the directory of its size, or the theme never finds it.
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("/(\\d+)x\\1/")).match(path);
    if (size.hasMatch())
        QCOMPARE(QImageReader(file.filePath()).size().width(), size.captured(1).toInt());
}

void InstalledFilesTest::examples_installedAsInTheSource()
{
    const QDir source(QStringLiteral(QUORRA_SOURCE_DIR "/examples"));
    const QStringList names = source.entryList(QDir::Files);
    QVERIFY(names.contains(QStringLiteral("brownout-ramp.log")));
    const QDir target(installed(QStringLiteral("share/quorra/examples")));
    QCOMPARE(target.entryList(QDir::Files), names);
    for (const QString &name : names)
        QVERIFY2(readAll(target.filePath(name)) == readAll(source.filePath(name)), qPrintable(name));
}

void InstalledFilesTest::manualPages_nameTheExamples_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("quorra") << "quorra";
    QTest::newRow("quorra-demo") << "quorra-demo";
}

void InstalledFilesTest::manualPages_nameTheExamples()
{
    QFETCH(QString, program);
    const ToolRun page = runTool(QStringLiteral("gzip"),
                                 {QStringLiteral("-dc"), installed(QStringLiteral("share/man/man1/%1.1.gz").arg(program))});
    QCOMPARE(page.exitCode, 0);
    QVERIFY2(page.output.contains(QStringLiteral(".SH NAME\n") + program + QStringLiteral(" \\- ")),
             qPrintable(page.output.left(400)));
    const qsizetype files = page.output.indexOf(QLatin1String(".SH FILES"));
    QVERIFY2(files >= 0, "no FILES section");
    QVERIFY(page.output.indexOf(QLatin1String("/usr/share/quorra/examples"), files) > files);
}

void InstalledFilesTest::validators_passDesktopEntryAndMetainfo_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("package");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("desktop entry") << "desktop-file-validate" << "desktop-file-utils"
                                   << QStringList{installed(QStringLiteral("share/applications/quorra.desktop"))};
    QTest::newRow("metainfo") << "appstreamcli" << "appstream"
                              << QStringList{"validate", "--no-net", "--no-color", installed(MetainfoPath)};
}

void InstalledFilesTest::validators_passDesktopEntryAndMetainfo()
{
    QFETCH(QString, tool);
    QFETCH(QString, package);
    QFETCH(QStringList, arguments);
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        QFAIL(qPrintable(tool + QStringLiteral(" is missing: install the Debian package ") + package));
    const ToolRun check = runTool(path, arguments);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    // Warnings and errors fail; a remark (appstreamcli's "I:") does not.
    const QRegularExpression complaint(QStringLiteral("^(W|E): |warning|error"),
                                       QRegularExpression::MultilineOption);
    QVERIFY2(!check.output.contains(complaint), qPrintable(check.output));
}

void InstalledFilesTest::version_sameInMetainfoAndChangelog()
{
    const QString version = QStringLiteral("%1.%2.%3").arg(Version::Major).arg(Version::Minor).arg(Version::Patch);
    const QString metainfo = QString::fromUtf8(readAll(installed(MetainfoPath)));
    QCOMPARE(QRegularExpression(QStringLiteral("<release version=\"([^\"]+)\"")).match(metainfo).captured(1),
             version);
    const QString launchable =
        QRegularExpression(QStringLiteral("<launchable type=\"desktop-id\">([^<]+)<")).match(metainfo).captured(1);
    QVERIFY(QFileInfo::exists(installed(QStringLiteral("share/applications/") + launchable)));

    const ToolRun changelog =
        runTool(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(QStringLiteral("share/doc/quorra/changelog.gz"))});
    QCOMPARE(changelog.exitCode, 0);
    // CHANGELOG.md's newest entry, as Debian's changelog writes it.
    QCOMPARE(QRegularExpression(QStringLiteral("^quorra \\(([^)]+)\\) unstable; urgency=medium\n\n  \\* "))
                 .match(changelog.output)
                 .captured(1),
             version);
}

QTEST_GUILESS_MAIN(InstalledFilesTest)
#include "test_installed_files.moc"
