#include "ServerUrl.h"

#include "StoreError.h"

#include <QUrl>

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
    if (url.m_database.contains(u'/'))
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
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon >= 0 && !authority.endsWith(u']')) {
        bool ok = false;
        url.m_port = authority.mid(colon + 1).toInt(&ok);
        if (!ok || url.m_port < 1 || url.m_port > 65535)
            refuse(QStringLiteral("the port '%1' is not a number from 1 to 65535")
                       .arg(authority.mid(colon + 1)));
        authority = authority.left(colon);
    }
    if (authority.startsWith(u'[') && authority.endsWith(u']'))
        authority = authority.mid(1, authority.size() - 2);
    url.m_host = decoded(authority);
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
    return p;
}

} // namespace corvane
