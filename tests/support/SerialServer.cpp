// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "SerialServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

namespace {
quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Whether something listens on 127.0.0.1:port (Linux's socket table), so
// that readiness is known without a connection the server would serve.
bool listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && f[1] == local && f[3] == "0A")
            return true;
    }
    return false;
}
} // namespace

QString SerialServer::executable()
{
    for (const QString &path : {QStringLiteral("/usr/sbin/ser2net"), QStringLiteral("/usr/bin/ser2net")})
        if (QFileInfo(path).isExecutable())
            return path;
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"));
}

QString SerialServer::target() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(m_mode == Mode::Raw ? "tcp" : "rfc2217").arg(m_port);
}

bool SerialServer::start(Mode mode, const QString &device, int baud, QString *error)
{
    const QString program = executable();
    if (program.isEmpty()) {
        *error = QStringLiteral("ser2net is missing: install the Debian package ser2net (./run does)");
        return false;
    }
    m_mode = mode;
    m_port = freeLoopbackPort();
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    const QString accepter = mode == Mode::Raw ? QStringLiteral("tcp") : QStringLiteral("telnet(rfc2217),tcp");
    file.write(QStringLiteral("connection: &quorra\n"
                              "  accepter: %1,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,%4n81,local\n"
                              "  options:\n"
                              "    kickolduser: true\n")
                   .arg(accepter)
                   .arg(m_port)
                   .arg(device)
                   .arg(baud)
                   .toLocal8Bit());
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(5000)) {
        *error = QStringLiteral("ser2net did not start: %1").arg(m_process.errorString());
        return false;
    }
    for (QDeadlineTimer ready(5000); !listening(m_port); QThread::msleep(20)) {
        if (ready.hasExpired() || m_process.state() != QProcess::Running) {
            *error = QStringLiteral("ser2net does not listen on port %1: %2")
                         .arg(m_port)
                         .arg(QString::fromLocal8Bit(m_process.readAll()));
            stop();
            return false;
        }
    }
    return true;
}

void SerialServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}
