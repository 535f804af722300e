#include "ServerUrl.h"

#include "StoreError.h"

#include <QUrl>
#include <algorithm>
#include <optional>

namespace corvane
{

namespace
{

const QString kForm = QStringLiteral("postgresql://[USER@]HOST[:PORT]/DBNAME");

[[noreturn]] void refuse(const QString &why)
{
    throw StoreError(QStringLiteral("Not a store address (%1): %2").arg(kForm, why));
}

QString decoded(const QString &part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

} // namespace

bool ServerUrl::looksLikeOne(const QString &text)
{
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

ServerUrl ServerUrl::parse(const QString &text)
{
    if (!looksLikeOne(text))
        refuse(QStringLiteral("it must begin with postgresql://"));
    QString rest = text.mid(text.indexOf(QLatin1String("://")) + 3);
    if (rest.contains(u'?') || rest.contains(u'#'))
        refuse(QStringLiteral("options after ? are not taken; use the PG environment variables"));
    const qsizetype slash = rest.indexOf(u'/');
    if (slash < 0 || slash == rest.size() - 1)
        refuse(QStringLiteral("it names no database"));
    ServerUrl url;
    url.m_database = decoded(rest.mid(slash + 1));
    if (url.m_database.isEmpty() || url.m_database.contains(u'/'))
        refuse(QStringLiteral("the database name may not hold '/'"));
    QString authority = rest.left(slash);
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QString user = authority.left(at);
        if (user.contains(u':'))
            throw StoreError(QStringLiteral(
                "A store address may not hold a password; put it in ~/.pgpass (or the file "
                "PGPASSFILE names) or in PGPASSWORD"));
        url.m_user = decoded(user);
        authority = authority.mid(at + 1);
    }
    std::optional<QString> port;
    if (authority.startsWith(u'[')) {
        // An IPv6 address, the only host that holds colons.
        const qsizetype close = authority.indexOf(u']');
        const QString address = authority.mid(1, close - 1);
        if (close < 0 || address.isEmpty() ||
            !std::all_of(address.begin(), address.end(), [](QChar c) {
                return c.isDigit() || c == u':' || c == u'.' ||
                       (c.toLower() >= u'a' && c.toLower() <= u'f');
            }))
            refuse(QStringLiteral("a host in brackets must be an IPv6 address"));
        url.m_host = address;
        const QString after = authority.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':'))
            refuse(QStringLiteral("only a port may follow the IPv6 address"));
        if (!after.isEmpty())
            port = after.mid(1);
    } else {
        const qsizetype colon = authority.indexOf(u':');
        if (colon >= 0) {
            port = authority.mid(colon + 1);
            authority = authority.left(colon);
        }
        url.m_host = decoded(authority);
        if (url.m_host.contains(u':') || url.m_host.contains(u'['))
            refuse(QStringLiteral("a host may hold ':' only as an IPv6 address in brackets"));
    }
    if (port) {
        bool ok = false;
        url.m_port = port->toInt(&ok);
        if (!ok || url.m_port < 1 || url.m_port > 65535)
            refuse(QStringLiteral("the port '%1' is not a number from 1 to 65535").arg(*port));
    }
    for (const QString *part : {&url.m_user, &url.m_host, &url.m_database})
        if (std::any_of(part->begin(), part->end(), [](QChar c) { return c.unicode() < 0x20; }))
            refuse(QStringLiteral("it holds control characters"));
    if (url.m_host.isEmpty())
        refuse(QStringLiteral("it names no host"));
    return url;
}

QString ServerUrl::display() const
{
    // A socket folder is written percent-encoded, an IPv6 address in brackets.
    const QString host = m_host.contains(u':')
                             ? u'[' + m_host + u']'
                             : QString::fromLatin1(QUrl::toPercentEncoding(m_host));
    QString text = QStringLiteral("postgresql://");
    if (!m_user.isEmpty())
        text += QString::fromLatin1(QUrl::toPercentEncoding(m_user)) + u'@';
    text += host;
    if (m_port)
        text += u':' + QString::number(m_port);
    return text + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(m_database));
}

std::vector<std::pair<QByteArray, QByteArray>> ServerUrl::connectionParameters() const
{
    std::vector<std::pair<QByteArray, QByteArray>> p = {{"host", m_host.toUtf8()},
                                                        {"dbname", m_database.toUtf8()},
                                                        {"application_name", "corvane"},
                                                        {"client_encoding", "UTF8"}};
    if (!m_user.isEmpty())
        p.emplace_back("user", m_user.toUtf8());
    if (m_port)
        p.emplace_back("port", QByteArray::number(m_port));
    // A station must notice a server that went away over TCP within a
    // minute or two, not hang its recording on a dead link: a bounded
    // connect, keepalives on an idle link and a bound on unacknowledged
    // sends. PGCONNECT_TIMEOUT, when set, stands.
    if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT"))
        p.emplace_back("connect_timeout", "10");
    p.emplace_back("keepalives_idle", "60");
    p.emplace_back("keepalives_interval", "10");
    p.emplace_back("keepalives_count", "3");
    p.emplace_back("tcp_user_timeout", "60000");
    return p;
}

} // namespace corvane
