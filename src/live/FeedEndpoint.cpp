#include "FeedEndpoint.h"

namespace corvane
{

namespace
{
std::optional<quint16> portNumber(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return std::nullopt;
    return quint16(value);
}
} // namespace

std::optional<FeedEndpoint> FeedEndpoint::parse(const QString &value)
{
    const qsizetype colon = value.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QString scheme = value.left(colon);
    const QString rest = value.mid(colon + 1);
    FeedEndpoint e;
    if (scheme == QLatin1String("udp"))
        e.kind = Kind::Udp;
    else if (scheme == QLatin1String("tcp-listen"))
        e.kind = Kind::TcpListen;
    else if (scheme == QLatin1String("tcp"))
        e.kind = Kind::TcpConnect;
    else
        return std::nullopt;
    // The port follows the last colon, so an IPv6 address may stand before it.
    const qsizetype last = rest.lastIndexOf(u':');
    if (last >= 0)
        e.host = rest.left(last);
    if (e.host.startsWith(u'[') && e.host.endsWith(u']'))
        e.host = e.host.mid(1, e.host.size() - 2);
    const auto p = portNumber(rest.mid(last + 1));
    if (!p || (last >= 0 && e.host.isEmpty()) || (!e.listens() && e.host.isEmpty()))
        return std::nullopt;
    e.port = *p;
    return e;
}

QString FeedEndpoint::hostAndPort() const
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return shownHost.isEmpty() ? QString::number(port) : shownHost + u':' + QString::number(port);
}

QString FeedEndpoint::toString() const
{
    const char *scheme = kind == Kind::Udp         ? "udp:"
                         : kind == Kind::TcpListen ? "tcp-listen:"
                                                   : "tcp:";
    return QLatin1String(scheme) + hostAndPort();
}

} // namespace corvane
