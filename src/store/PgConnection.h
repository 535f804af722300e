#pragma once

#include "ServerUrl.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

struct pg_conn;
struct pg_result;
struct pg_cancel;

namespace corvane
{

// The rows of a finished query; texts as the server sends them.
class PgResult
{
public:
    explicit PgResult(pg_result *result = nullptr) : m_result(result) {}
    ~PgResult();
    PgResult(PgResult &&other) noexcept;
    PgResult &operator=(PgResult &&other) noexcept;
    PgResult(const PgResult &) = delete;
    PgResult &operator=(const PgResult &) = delete;

    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    // A null QByteArray for NULL.
    QByteArray value(int row, int column) const;
    qint64 int64(int row, int column) const;
    // The column as the value the server's type stands for: a number for
    // integers and floats, text for the rest, null for NULL.
    QVariant variant(int row, int column) const;
    QByteArray columnName(int column) const;
    // The rows an INSERT, UPDATE or DELETE changed.
    qint64 affectedRows() const;
    // The text of a column without a copy, valid while the result lives.
    const char *raw(int row, int column, int *size) const;

private:
    pg_result *m_result;
};

// One connection to a PostgreSQL store, through libpq. Parameters are bound
// as text ($1, $2, ...); a null QByteArray binds NULL. Every failure throws
// StoreError naming the server's address (never a password) and its message.
class PgConnection
{
public:
    using Params = std::vector<QByteArray>;

    PgConnection() = default;
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    void open(const ServerUrl &url);
    void close();
    bool isOpen() const { return m_conn != nullptr; }
    // Whether the link to the server still stands; reconnect() tries once to
    // make it again and says whether it did.
    bool isConnected() const;
    bool reconnect();
    // Whether a transaction is open on the connection.
    bool inTransaction() const;
    // The SQLSTATE of the last statement that failed ("40P01": deadlock).
    const QByteArray &lastState() const { return m_lastState; }
    // Whether the last failure is one a transaction may simply be run again
    // after: a deadlock or a serialization failure.
    bool lastFailureIsTransient() const;
    const ServerUrl &url() const { return m_url; }
    // Asks the server to stop the statement running on this connection;
    // safe from another thread while it runs.
    void cancelRunning();

    void exec(const QByteArray &sql);
    PgResult query(const QByteArray &sql, const Params &params = {});
    // Streams a query's rows one at a time (for tables larger than memory);
    // stops early, discarding the rest, when the callback returns false.
    // Returns whether every row was seen.
    bool eachRow(const QByteArray &sql, const std::function<bool(const PgResult &)> &row,
                 const Params &params = {});
    // The same, pulled: startRows() sends the query, nextRow() gives each
    // row in turn and false after the last, stopRows() abandons the rest.
    // Nothing else runs on the connection in between.
    void startRows(const QByteArray &sql, const Params &params = {});
    bool nextRow(PgResult &row);
    void stopRows();
    // The names of the columns a query would give, without running it;
    // throws with the server's reason for a query it cannot plan.
    QList<QByteArray> columnsOf(const QByteArray &sql, int params);
    // Runs COPY ... FROM STDIN; the callback fills the next piece of COPY
    // text and returns false when there is no more. Returns false, with the
    // COPY abandoned, when cancel() says so between pieces.
    bool copyIn(const QByteArray &copySql, const std::function<bool(QByteArray &)> &next,
                const std::function<bool()> &cancelled = {});

    [[noreturn]] void fail(const QString &what) const;

private:
    [[noreturn]] void failWith(pg_result *result, const QByteArray &sql);

    pg_conn *m_conn = nullptr;
    pg_cancel *m_cancel = nullptr;
    QByteArray m_lastState;
    QByteArray m_streaming; // the SQL whose rows are coming, while they come
    ServerUrl m_url;
};

// A transaction that rolls back unless committed.
class PgTransaction
{
public:
    explicit PgTransaction(PgConnection &db);
    ~PgTransaction();
    void commit();

private:
    PgConnection &m_db;
    bool m_open = true;
};

} // namespace corvane
