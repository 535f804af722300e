#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace corvane
{

// The address of a PostgreSQL store: postgresql://[USER@]HOST[:PORT]/DBNAME.
// HOST may be a percent-encoded socket folder (%2Frun%2Fpostgresql). A
// password is refused: it belongs in ~/.pgpass (or PGPASSFILE) or the
// environment, never on a command line or in the settings file.
class ServerUrl
{
public:
    // Throws StoreError saying what is wrong with the text (without echoing a password).
    static ServerUrl parse(const QString &text);
    static bool looksLikeOne(const QString &text);

    const QString &user() const { return m_user; }
    const QString &host() const { return m_host; }
    int port() const { return m_port; }
    const QString &database() const { return m_database; }

    // For messages: the address as written, with nothing secret in it.
    QString display() const;
    // libpq's keywords and values. TLS is left to libpq's default, which
    // uses it whenever the server offers it.
    std::vector<std::pair<QByteArray, QByteArray>> connectionParameters() const;

private:
    QString m_user;
    QString m_host;
    int m_port = 0;
    QString m_database;
};

} // namespace corvane
