#include "port_name.h"

#include <QRegularExpression>

namespace qv {

namespace {

const QString kSocketScheme = QStringLiteral("socket://");
const QString kRfc2217Scheme = QStringLiteral("rfc2217://");

PortTarget invalidSocket(const QString& typed, const QString& cause)
{
    PortTarget target;
    target.typed = typed;
    target.error = QStringLiteral("Cannot connect to %1: %2").arg(typed, cause);
    return target;
}

// "HOST:PORT" after the scheme; an IPv6 host is written in brackets ("[::1]:4001").
PortTarget resolveNetworkPort(const QString& typed, const QString& scheme, PortTarget::Kind kind)
{
    const QString address = typed.mid(scheme.size());
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return invalidSocket(typed, QStringLiteral("expected %1HOST:PORT").arg(scheme));

    QString host = address.left(colon);
    if (host.size() >= 2 && host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty())
        return invalidSocket(typed, QStringLiteral("no host name"));

    const QString portText = address.mid(colon + 1);
    bool ok = false;
    const uint port = portText.toUInt(&ok, 10);
    if (!ok || port == 0 || port > 65535)
        return invalidSocket(typed, QStringLiteral("invalid port number \"%1\"").arg(portText));

    PortTarget target;
    target.kind = kind;
    target.typed = typed;
    target.host = host;
    target.port = static_cast<quint16>(port);
    return target;
}

// The number n of "COMn", or 0 when the name is not of that form.
int comPortNumber(const QString& typed)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,8})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(typed);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

PortTarget resolvePortName(const QString& typed, HostSystem system)
{
    if (typed.startsWith(kSocketScheme, Qt::CaseInsensitive))
        return resolveNetworkPort(typed, kSocketScheme, PortTarget::Kind::TcpSocket);
    if (typed.startsWith(kRfc2217Scheme, Qt::CaseInsensitive))
        return resolveNetworkPort(typed, kRfc2217Scheme, PortTarget::Kind::Rfc2217);

    PortTarget target;
    target.kind = PortTarget::Kind::SerialDevice;
    target.typed = typed;
    target.device = typed;
    const int comNumber = comPortNumber(typed);
    if (comNumber > 0 && system == HostSystem::Unix)
        target.device = QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    return target;
}

} // namespace qv
