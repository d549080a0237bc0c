#include "platform/PortTarget.h"

#include <QRegularExpression>

namespace {
constexpr int HighestPortNumber = 255; // what Windows numbers its COM ports up to

std::optional<PortTarget> fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

std::optional<PortTarget> parseTcp(const QString &rest, const QString &text, QString *error)
{
    // HOST:PORT, with an IPv6 address in brackets.
    static const QRegularExpression form(QStringLiteral(R"(^(\[[0-9A-Fa-f:.]+\]|[^:/\[\]\s]+):(\d{1,5})$)"));
    const auto m = form.match(rest);
    if (!m.hasMatch())
        return fail(error, QStringLiteral("\"%1\" is not tcp://HOST:PORT").arg(text));
    const int port = m.captured(2).toInt();
    if (port < 1 || port > 65535)
        return fail(error, QStringLiteral("\"%1\": the TCP port is 1 to 65535").arg(text));
    PortTarget target;
    target.kind = PortTarget::Kind::Tcp;
    target.host = m.captured(1);
    if (target.host.startsWith(QLatin1Char('[')))
        target.host = target.host.mid(1, target.host.size() - 2);
    target.tcpPort = static_cast<quint16>(port);
    return target;
}
} // namespace

QString PortTarget::text() const
{
    switch (kind) {
    case Kind::Number:
        return QStringLiteral("COM%1").arg(number);
    case Kind::Device:
        return device;
    case Kind::Tcp:
        return QStringLiteral("tcp://%1:%2")
            .arg(host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host)
            .arg(tcpPort);
    }
    return {};
}

std::optional<PortTarget> parsePortTarget(const QString &text, QString *error)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return fail(error, QStringLiteral("no port given"));

    if (t.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive))
        return parseTcp(t.mid(6), text, error);
    if (t.contains(QLatin1String("://")))
        return fail(error, QStringLiteral("\"%1\": only tcp:// is known").arg(text));

    static const QRegularExpression number(QStringLiteral(R"(^(?:COM\s*)?(\d+)$)"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const auto m = number.match(t); m.hasMatch()) {
        bool ok = false;
        const int n = m.captured(1).toInt(&ok);
        if (!ok || n < 1 || n > HighestPortNumber)
            return fail(error, QStringLiteral("\"%1\": a port number is 1 to %2").arg(text).arg(HighestPortNumber));
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
    return fail(error, QStringLiteral("\"%1\" is neither a port (COM1, 1), a device path nor tcp://HOST:PORT")
                           .arg(text));
}
