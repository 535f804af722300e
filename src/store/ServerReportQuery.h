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
// qualifier, as one database holds every table. Rows come one at a time,
// inside a read-only transaction on a read-only session, so a report file
// can never change data.
class ServerReportQuery
{
public:
    ServerReportQuery(const QString &serverUrl, const QStringList &attach);
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
    void interrupt();

    // The query as the server takes it, and its parameters' names in the
    // order of their numbers.
    static QByteArray serverSql(const QString &sql, const QStringList &attach, QStringList *names);

private:
    PgConnection m_db;
    QStringList m_attach;
    QByteArray m_sql;
    QStringList m_names;
    std::vector<QByteArray> m_values;
    QStringList m_columns;
    PgResult m_row;
    bool m_running = false;
};

} // namespace corvane
