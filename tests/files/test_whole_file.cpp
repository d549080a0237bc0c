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
    void save_data();
    void save();
};

void WholeFileTest::save_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sameFile");
    QTest::newRow("own file: replaced whole") << "own" << false;
    QTest::newRow("hard link") << "linked" << true;
    QTest::newRow("other owner") << "foreign" << true;
    QTest::newRow("read-only folder") << "locked" << true;
}

void WholeFileTest::save()
{
#ifndef Q_OS_UNIX
    QSKIP("owners, links and folder rights are POSIX matters");
#else
    QFETCH(QString, kind);
    QFETCH(bool, sameFile);
    const bool root = ::geteuid() == 0;
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody && root && kind != "own" && kind != "linked")
        QSKIP("running as root, and there is no user nobody to own or save the file");
    if (!root && kind == "foreign")
        QSKIP("only root can give a file away");
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("program.log")));
    const QByteArray link = path + ".link";
    QFile old(QFile::decodeName(path));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old text, longer than the new\r\n") > 0);
    old.close();
    if (kind == "linked")
        QCOMPARE(::link(path, link), 0);
    if (root && (kind == "foreign" || kind == "locked"))
        QCOMPARE(::chown(path, nobody->pw_uid, nobody->pw_gid), 0);
    if (kind == "locked") // as root every folder is writable: nobody saves
        QCOMPARE(::chmod(QFile::encodeName(dir.path()), root ? 0755 : 0555), 0);
    struct stat before = {};
    struct stat after = {};
    ::stat(path, &before);

    const pid_t child = ::fork();
    if (child == 0) {
        if (kind == "locked" && root
            && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0))
            ::_exit(2);
        QString error;
        ::_exit(writeWholeFile(QFile::decodeName(path), " 0 \r\n", error) ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(QFile::encodeName(dir.path()), 0700);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::stat(path, &after);
    QCOMPARE(after.st_ino == before.st_ino, sameFile);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray(" 0 \r\n"));
    if (kind == "linked")
        QCOMPARE(after.st_nlink, nlink_t(2));
#endif
}

QTEST_GUILESS_MAIN(WholeFileTest)
#include "test_whole_file.moc"
