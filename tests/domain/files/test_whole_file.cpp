// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers
//
// Saving over an existing file: replaced whole where that leaves the file
// what it was, rewritten in place where replacing is impossible or would
// change its links or its owner.
#include "domain/files/WholeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
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
    void failedWrite_givesTheSystemsReason();
};

void WholeFileTest::save_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("own file: replaced whole") << "own";
    QTest::newRow("hard link") << "linked";
    QTest::newRow("other owner") << "foreign";
    QTest::newRow("read-only folder") << "locked";
}

void WholeFileTest::save()
{
#ifndef Q_OS_UNIX
    QSKIP("owners, links and folder rights are POSIX matters");
#else
    QFETCH(QString, kind);
    // Root writes any folder and owns nothing foreign: it gives the file to
    // nobody, and saves into the locked folder as nobody.
    const bool root = ::geteuid() == 0;
    const passwd *nobody = ::getpwnam("nobody");
    const bool needsNobody = kind == "foreign" || (kind == "locked" && root);
    if (needsNobody && (!root || !nobody))
        QSKIP("needs root and a user nobody");
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("program.log")));
    QFile file(QFile::decodeName(path));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old text, longer than the new\r\n") > 0);
    file.close();
    if (kind == "linked")
        QCOMPARE(::link(path, path + ".link"), 0);
    if (needsNobody)
        QCOMPARE(::chown(path, nobody->pw_uid, nobody->pw_gid), 0);
    if (kind == "locked")
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
    QCOMPARE(after.st_ino == before.st_ino, kind != "own");
    QVERIFY(after.st_uid == before.st_uid && after.st_gid == before.st_gid);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(" 0 \r\n"));
#endif
}

// A file that cannot be written whole (here: larger than the process may
// write, as a full disk refuses the last block) says why in the system's
// words, and leaves no file behind.
void WholeFileTest::failedWrite_givesTheSystemsReason()
{
#ifndef Q_OS_UNIX
    QSKIP("the file size limit is a POSIX matter");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("program.log"));
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        QString error;
        const bool written = writeWholeFile(path, QByteArray(64 * 1024, 'x'), error);
        ::_exit(written ? 1 : error == qt_error_string(EFBIG) ? 0 : 2);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0); // 2: the reason was not the system's "File too large"
    QVERIFY(!QFile::exists(path));
#endif
}

QTEST_GUILESS_MAIN(WholeFileTest)
#include "test_whole_file.moc"
