// Saving over an existing file: replaced whole where that leaves the file
// what it was, rewritten in place where replacing is impossible or would
// change its links or its owner.
#include "files/WholeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

class WholeFileTest : public QObject
{
    Q_OBJECT
private slots:
    void save_keepsWhatTheFileIs_data();
    void save_keepsWhatTheFileIs();
    void readOnlyFolder_writableFile_isRewritten();
};

namespace {
const QByteArray OldText = "old text, longer than the new one\r\n";
const QByteArray NewText = " 0 \r\n";

QByteArray content(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeOld(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(OldText) == OldText.size();
}
} // namespace

void WholeFileTest::save_keepsWhatTheFileIs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sameFile");
    QTest::newRow("own file: replaced whole") << "own" << false;
    QTest::newRow("hard link") << "linked" << true;
    QTest::newRow("other owner") << "foreign" << true;
}

void WholeFileTest::save_keepsWhatTheFileIs()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    QFETCH(bool, sameFile);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("program.log"));
    const QString link = dir.filePath(QStringLiteral("link.log"));
    QVERIFY(writeOld(path));
    if (kind == QLatin1String("linked"))
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    if (kind == QLatin1String("foreign")) {
        const passwd *nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || !nobody)
            QSKIP("only root can give a file to the user nobody");
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    struct stat before = {};
    struct stat after = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    QString error;
    QVERIFY2(writeWholeFile(path, NewText, error), qPrintable(error));
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(content(path), NewText);
    QCOMPARE(after.st_ino == before.st_ino, sameFile);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    if (kind == QLatin1String("linked"))
        QCOMPARE(content(link), NewText);
#else
    QSKIP("file owners and links are checked on POSIX systems only");
#endif
}

void WholeFileTest::readOnlyFolder_writableFile_isRewritten()
{
#ifdef Q_OS_UNIX
    // As root every folder is writable: save as nobody, in a child process.
    const bool root = ::geteuid() == 0;
    const passwd *nobody = ::getpwnam("nobody");
    if (root && !nobody)
        QSKIP("running as root, and there is no user nobody to save as");
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QString path = dir.filePath(QStringLiteral("program.log"));
    QVERIFY(writeOld(path));
    if (root)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    QCOMPARE(::chmod(folder.constData(), root ? 0755 : 0555), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0
                     || ::setuid(nobody->pw_uid) != 0))
            ::_exit(2);
        QString error;
        ::_exit(writeWholeFile(path, NewText, error) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(folder.constData(), 0700);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(content(path), NewText);
#else
    QSKIP("folder permissions are checked on POSIX systems only");
#endif
}

QTEST_GUILESS_MAIN(WholeFileTest)
#include "test_whole_file.moc"
