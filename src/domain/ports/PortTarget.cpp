// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorra maintainers

#include "domain/ports/PortTarget.h"

#include <QRegularExpression>

namespace {
constexpr int HighestPortNumber = 255; // what Windows numbers its COM ports up to

std::optional<PortTarget> fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

std::optional<PortTarget> networkTarget(PortTarget::Kind kind, const QString &host, const QString &port,
                                        const QString &text, QString *error)
{
    const int number = port.toInt();
    if (number < 1 || number > 65535)
        return fail(error, QStringLiteral("\"%1\": the TCP port is 1 to 65535").arg(text));
    PortTarget target;
    target.kind = kind;
    target.host = host;
    if (target.host.startsWith(QLatin1Char('[')))
        target.host = target.host.mid(1, target.host.size() - 2);
    target.tcpPort = static_cast<quint16>(number);
    return target;
}

// HOST:PORT after "tcp://" or "rfc2217://", with an IPv6 address in brackets.
std::optional<PortTarget> parseHostPort(PortTarget::Kind kind, const QString &scheme, const QString &rest,
                                        const QString &text, QString *error)
{
    static const QRegularExpression form(QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[^:/\[\]\s]+):(\d{1,5})$)"));
    const auto m = form.match(rest);
    if (!m.hasMatch())
        return fail(error, QStringLiteral("\"%1\" is not %2://HOST:PORT").arg(text, scheme));
    return networkTarget(kind, m.captured(1), m.captured(2), text, error);
}

// The VISA resource of an instrument's raw socket: TCPIP[board]::HOST::PORT::SOCKET.
std::optional<PortTarget> parseVisaSocket(const QString &text, QString *error)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^TCPIP\d*::(\[[0-9A-Fa-f:.]+\]|[^:/\[\]\s]+)::(\d{1,5})::SOCKET$)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return fail(error, QStringLiteral("\"%1\" is not TCPIP::HOST::PORT::SOCKET").arg(text));
    return networkTarget(PortTarget::Kind::Socket, m.captured(1), m.captured(2), text, error);
}

QString hostText(const QString &host)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}
} // namespace

QString PortTarget::text() const
{
    switch (kind) {
    case Kind::Number: return QStringLiteral("COM%1").arg(number);
    case Kind::Device: return device;
    case Kind::Tcp: return QStringLiteral("tcp://%1:%2").arg(hostText(host)).arg(tcpPort);
    case Kind::Rfc2217: return QStringLiteral("rfc2217://%1:%2").arg(hostText(host)).arg(tcpPort);
    case Kind::Socket: return QStringLiteral("TCPIP::%1::%2::SOCKET").arg(hostText(host)).arg(tcpPort);
    }
    return {};
}

std::optional<PortTarget> parsePortTarget(const QString &text, QString *error)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return fail(error, QStringLiteral("no port given"));

    if (t.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive))
        return parseHostPort(PortTarget::Kind::Tcp, QStringLiteral("tcp"), t.mid(6), text, error);
    if (t.startsWith(QLatin1String("rfc2217://"), Qt::CaseInsensitive)) {
#ifdef QUORRA_NO_RFC2217
        return fail(error,
                    QStringLiteral("\"%1\": this build of the program cannot speak RFC 2217 (it was built "
                                   "without libtelnet); a serial server in raw TCP mode works as tcp://")
                        .arg(text));
#endif
        return parseHostPort(PortTarget::Kind::Rfc2217, QStringLiteral("rfc2217"), t.mid(10), text, error);
    }
    if (t.contains(QLatin1String("://")))
        return fail(error, QStringLiteral("\"%1\": only tcp:// and rfc2217:// are known").arg(text));
    if (t.startsWith(QLatin1String("TCPIP"), Qt::CaseInsensitive))
        return parseVisaSocket(text, error);

    static const QRegularExpression number(QStringLiteral(R"(^(?:COM\s*)?(\d+)$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const auto m = number.match(t); m.hasMatch()) {
        bool ok = false;
        const int n = m.captured(1).toInt(&ok);
        if (!ok || n < 1 || n > HighestPortNumber)
            return fail(error,
                        QStringLiteral("\"%1\": a port number is 1 to %2").arg(text).arg(HighestPortNumber));
        PortTarget target;
        target.number = n;
        return target;
    }

    // A path names a device: on POSIX an absolute one, on Windows also
    // the \\.\ form that ports above COM9 need.
    if (t.startsWith(QLatin1Char('/')) || t.startsWith(QLatin1String("\\\\.\\"))) {
        PortTarget target;
        target.kind = PortTarget::Kind::Device;
        target.device = t;
        return target;
    }
    return fail(error, QStringLiteral("\"%1\" is neither a port (COM1, 1), a device path, tcp://HOST:PORT, "
                                      "rfc2217://HOST:PORT nor TCPIP::HOST::PORT::SOCKET")
                           .arg(text));
}
