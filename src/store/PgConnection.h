#pragma once

#include "ServerUrl.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <atomic>
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
//
// The connection never waits on the server without a bound it can keep: a
// server that stops answering (paused, or its machine hung, which TCP's
// keep-alives cannot tell from a busy one) is given up after the answer
// timeout of the moment, and another thread can end any wait (a stop that
// must end in time, a cancelled report). A connection given up is closed:
// isConnected() is false and reconnect() may make it again.
class PgConnection
{
public:
    using Params = std::vector<QByteArray>;
    // How long a cancelled statement gets to end before its connection is closed.
    static constexpr int kCancelGraceMillis = 5000;

    PgConnection();
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    void open(const ServerUrl &url);
    void close();
    bool isOpen() const { return m_conn != nullptr; }
    // Whether the link to the server still stands; reconnect() tries once to
    // make it again (within the connection timeout) and says whether it did.
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

    // The longest wait for one answer of the server (a statement's result,
    // room to send, a piece of COPY); 0 waits as long as it takes. Past it
    // the connection is closed and the statement throws saying so.
    void setAnswerTimeout(int millis) { m_answerMillis = millis; }
    int answerTimeout() const { return m_answerMillis; }
    // Sets the answer timeout for a scope.
    class AnswerBound
    {
    public:
        AnswerBound(PgConnection &db, int millis) : m_db(db), m_before(db.m_answerMillis)
        {
            db.m_answerMillis = millis;
        }
        ~AnswerBound() { m_db.m_answerMillis = m_before; }
        AnswerBound(const AnswerBound &) = delete;
        AnswerBound &operator=(const AnswerBound &) = delete;

    private:
        PgConnection &m_db;
        int m_before;
    };

    // Safe from any thread: asks the server to stop the statement running
    // on this connection, if one is; the statement then throws.
    void cancelRunning();
    // Safe from any thread: no wait on this connection, now or later, goes
    // on past millis from now. A statement still running then is cancelled
    // and the connection closed.
    void abandonAfter(int millis);

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
    void afterConnect();
    // When the wait for the next answer ends at the latest (steady clock, ms).
    qint64 answerDeadline() const;
    // Waits until the socket can be read (or written), or throws once the
    // deadline or an abandonment passes, the connection then closed.
    void waitSocket(bool forWrite, qint64 deadline, const QByteArray &what);
    void flushOut(qint64 deadline, const QByteArray &what);
    // The next result of the statement sent; null when it has no more.
    pg_result *nextResult(qint64 deadline, const QByteArray &what);
    // Every result of the statement sent: the last, or a throw with the first failure.
    PgResult finish(const QByteArray &sql);
    void sent(bool ok, const QByteArray &sql);
    [[noreturn]] void giveUp(const QByteArray &what, bool abandoned);
    void closeSocket();
    void sendCancel();

    pg_conn *m_conn = nullptr;
    QByteArray m_lastState;
    QByteArray m_streaming; // the SQL whose rows are coming, while they come
    QString m_gaveUp;       // why the connection was closed on our side
    ServerUrl m_url;
    int m_answerMillis = 0;
    int m_connectMillis = 0;
    mutable int m_boundMillis = 0; // the bound of the wait in hand
    std::atomic<qint64> m_abandonAt{0};
    std::atomic_bool m_cancelAsked{false};
    int m_wake[2] = {-1, -1}; // wakes a wait from another thread
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
