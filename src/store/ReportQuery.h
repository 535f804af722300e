#pragma once

#include "SqliteDb.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <memory>
#include <sqlite3.h>

namespace corvane
{

// The connection a report reads through: the message file opened read-only,
// the routes and alerts files attached read-only where the report asks for
// them ("routes", "alerts"), and an authorizer that lets a query read and
// nothing else, so a report file can never change data. Parameters are
// bound by name, never pasted into the text. The query is one statement;
// comments and semicolons may follow it, on the files as on a server.
class ServerReportQuery;

class ReportQuery
{
public:
    // With a server's URL the query reads the server's store instead. A
    // statement timeout (seconds, 0: none) bounds each step of the query on
    // the files, and each statement of it on a server.
    ReportQuery(const QString &storeFolder, const QStringList &attach,
                const QString &serverUrl = {}, int statementTimeoutSeconds = 0);
    ~ReportQuery();
    ReportQuery(const ReportQuery &) = delete;
    ReportQuery &operator=(const ReportQuery &) = delete;

    // Throws StoreError with the engine's reason for a query it refuses:
    // not a single reading statement, a syntax error, a missing table.
    void prepare(const QString &sql);
    // Names as the query writes them without their ":", "@" or "$".
    QStringList parameterNames() const;
    void bind(const QString &name, const QString &value);

    QStringList columnNames() const;
    // Steps to the next row; false at the end. Throws StoreError on a failure.
    bool next();
    QString text(int column) const;
    // Back before the first row, bindings kept.
    void restart();
    // From another thread: stops a running step, which then throws.
    void interrupt();

private:
    static int authorize(void *, int action, const char *, const char *, const char *,
                         const char *);
    static int checkTime(void *query);
    void refuseMoreStatements(const char *tail);
    [[noreturn]] void fail(const QString &what) const;
    void openMain(SqliteDb::Mode mode);
    bool canRead();
    // A path as the engine opens it in the mode of the main file.
    QByteArray fileName(const QString &path) const;
    void attachFile(const QString &path, const char *schema);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_path;
    qint64 m_timeoutMillis = 0;
    QElapsedTimer m_stepClock;
    bool m_timedOut = false;
    SqliteDb::Mode m_mode = SqliteDb::Mode::ReadOnly;
    std::unique_ptr<ServerReportQuery> m_server;
};

} // namespace corvane
