#pragma once

#include "ServerUrl.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct pg_conn;
struct pg_result;

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
    // The SQLSTATE of the last statement that failed ("40P01": deadlock).
    const QByteArray &lastState() const { return m_lastState; }
    // Whether the last failure is one a transaction may simply be run again
    // after: a deadlock or a serialization failure.
    bool lastFailureIsTransient() const;
    const ServerUrl &url() const { return m_url; }

    void exec(const QByteArray &sql);
    PgResult query(const QByteArray &sql, const Params &params = {});
    // Streams a query's rows one at a time (for tables larger than memory);
    // stops early, discarding the rest, when the callback returns false.
    // Returns whether every row was seen.
    bool eachRow(const QByteArray &sql, const std::function<bool(const PgResult &)> &row);
    // Runs COPY ... FROM STDIN; the callback fills the next piece of COPY
    // text and returns false when there is no more. Returns false, with the
    // COPY abandoned, when cancel() says so between pieces.
    bool copyIn(const QByteArray &copySql, const std::function<bool(QByteArray &)> &next,
                const std::function<bool()> &cancelled = {});

    [[noreturn]] void fail(const QString &what) const;

private:
    [[noreturn]] void failWith(pg_result *result, const QByteArray &sql);

    pg_conn *m_conn = nullptr;
    QByteArray m_lastState;
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
