#pragma once

#include "PgConnection.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvane
{

// A report's query on a server store. The report files are written for the
// SQLite files: their named parameters (:Reg, @Reg, $Reg) are numbered for
// the server, and the names of attached files ("routes.ROUTES") lose their
// qualifier, as one database holds every table. The query must be one
// statement (comments and semicolons may follow) that calls no function the
// server marks VOLATILE (one that may change things: pg_notify,
// pg_advisory_lock, pg_terminate_backend and the like). Rows come a few
// hundred at a time through a cursor inside a read-only transaction on a
// read-only session, so a report file can never change data, and each fetch
// is one statement under the statement timeout.
class ServerReportQuery
{
public:
    // statementTimeoutSeconds: 0 lets a statement run as long as it takes.
    ServerReportQuery(const QString &serverUrl, const QStringList &attach,
                      int statementTimeoutSeconds = 0);
    ~ServerReportQuery();
    ServerReportQuery(const ServerReportQuery &) = delete;
    ServerReportQuery &operator=(const ServerReportQuery &) = delete;

    void prepare(const QString &sql);
    QStringList parameterNames() const { return m_names; }
    void bind(const QString &name, const QString &value);
    QStringList columnNames() const { return m_columns; }
    bool next();
    QString text(int column) const;
    void restart();
    // From another thread: the running statement is cancelled on the
    // server, and the connection given up if the server does not end it.
    void interrupt();

    // The query as the server takes it, and its parameters' names in the
    // order of their numbers. Throws StoreError for more than one statement.
    static QByteArray serverSql(const QString &sql, const QStringList &attach, QStringList *names);

private:
    void refuseVolatileCalls(const QByteArray &sql);

    PgConnection m_db;
    QStringList m_attach;
    QByteArray m_sql;
    QStringList m_names;
    std::vector<QByteArray> m_values;
    QStringList m_columns;
    PgResult m_rows;
    int m_row = 0;
    bool m_running = false;
    bool m_lastFetch = false;
};

} // namespace corvane
