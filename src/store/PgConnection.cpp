#include "PgConnection.h"

#include "StoreError.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace corvane
{

namespace
{

// The server's notices ("already exists, skipping") are not the user's business.
void ignoreNotice(void *, const char *) {}

qint64 steadyMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void wake(int fd)
{
    if (fd < 0)
        return;
    const char one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd, &one, 1);
}

} // namespace

PgResult::~PgResult()
{
    PQclear(m_result);
}

PgResult::PgResult(PgResult &&other) noexcept : m_result(other.m_result)
{
    other.m_result = nullptr;
}

PgResult &PgResult::operator=(PgResult &&other) noexcept
{
    std::swap(m_result, other.m_result);
    return *this;
}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int PgResult::columns() const
{
    return m_result ? PQnfields(m_result) : 0;
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArray PgResult::value(int row, int column) const
{
    if (isNull(row, column))
        return {};
    return QByteArray(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 PgResult::int64(int row, int column) const
{
    return isNull(row, column) ? 0 : QByteArray(PQgetvalue(m_result, row, column)).toLongLong();
}

QVariant PgResult::variant(int row, int column) const
{
    if (isNull(row, column))
        return {};
    const QByteArray text = value(row, column);
    // The built-in type numbers (pg_type.h): int8, int2, int4, float4, float8, numeric.
    switch (PQftype(m_result, column)) {
    case 20:
    case 21:
    case 23:
        return text.toLongLong();
    case 700:
    case 701:
    case 1700:
        return text.toDouble();
    default:
        return QString::fromUtf8(text);
    }
}

qint64 PgResult::affectedRows() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toLongLong() : 0;
}

const char *PgResult::raw(int row, int column, int *size) const
{
    *size = PQgetlength(m_result, row, column);
    return PQgetvalue(m_result, row, column);
}

QByteArray PgResult::columnName(int column) const
{
    return QByteArray(PQfname(m_result, column));
}

PgConnection::PgConnection()
{
    if (::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0)
        m_wake[0] = m_wake[1] = -1;
}

PgConnection::~PgConnection()
{
    close();
    for (int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void PgConnection::open(const ServerUrl &url)
{
    close();
    m_url = url;
    const auto parameters = url.connectionParameters();
    std::vector<const char *> keys, values;
    for (const auto &[key, value] : parameters) {
        keys.push_back(key.constData());
        values.push_back(value.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!m_conn)
        throw StoreError(QStringLiteral("%1: out of memory").arg(url.display()));
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        close();
        throw StoreError(QStringLiteral("Cannot reach the store %1: %2").arg(url.display(), why));
    }
    // The same bound for making the connection again as libpq kept for the first.
    m_connectMillis = 0;
    if (PQconninfoOption *options = PQconninfo(m_conn)) {
        for (PQconninfoOption *o = options; o->keyword; ++o)
            if (qstrcmp(o->keyword, "connect_timeout") == 0 && o->val)
                m_connectMillis = std::max(0, QByteArray(o->val).toInt()) * 1000;
        PQconninfoFree(options);
    }
    afterConnect();
}

void PgConnection::afterConnect()
{
    m_gaveUp.clear();
    PQsetNoticeProcessor(m_conn, &ignoreNotice, nullptr);
    PQsetnonblocking(m_conn, 1);
    // A server (14 or later) then notices within seconds that we went away
    // (a stop, a crash, a connection given up) and ends what we left running.
    if (PQserverVersion(m_conn) >= 140000) {
        try {
            exec("SET client_connection_check_interval = 5000");
        } catch (const StoreError &) {
            // A server that does not let us: it ends our statements when it next writes.
        }
    }
}

void PgConnection::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_streaming = QByteArray();
}

void PgConnection::fail(const QString &what) const
{
    QString why = m_gaveUp;
    if (why.isEmpty())
        why = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                     : QStringLiteral("not connected");
    throw StoreError(QStringLiteral("%1: %2: %3").arg(m_url.display(), what, why));
}

bool PgConnection::isConnected() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

bool PgConnection::reconnect()
{
    if (!m_conn)
        return false;
    m_streaming = QByteArray();
    if (!PQresetStart(m_conn))
        return false;
    m_boundMillis = m_connectMillis;
    const qint64 deadline =
        m_connectMillis > 0 ? steadyMillis() + m_connectMillis : std::numeric_limits<qint64>::max();
    // libpq's own loop: as if the last poll asked to write.
    PostgresPollingStatusType status = PGRES_POLLING_WRITING;
    try {
        while (status != PGRES_POLLING_OK) {
            if (status == PGRES_POLLING_FAILED)
                return false;
            waitSocket(status == PGRES_POLLING_WRITING, deadline, "connecting");
            status = PQresetPoll(m_conn);
        }
    } catch (const StoreError &) {
        return false;
    }
    afterConnect();
    return true;
}

bool PgConnection::inTransaction() const
{
    return m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE;
}

bool PgConnection::lastFailureIsTransient() const
{
    return m_lastState == "40P01" || m_lastState == "40001";
}

void PgConnection::failWith(pg_result *result, const QByteArray &sql)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    m_lastState = state ? QByteArray(state) : QByteArray();
    const QByteArray reason = result ? QByteArray(PQresultErrorMessage(result)).trimmed() : "";
    PQclear(result);
    if (reason.isEmpty() || !m_gaveUp.isEmpty())
        fail(QString::fromUtf8(sql.left(60)));
    throw StoreError(
        QStringLiteral("%1: %2: %3")
            .arg(m_url.display(), QString::fromUtf8(sql.left(60)), QString::fromUtf8(reason)));
}

void PgConnection::cancelRunning()
{
    m_cancelAsked = true;
    wake(m_wake[1]);
}

void PgConnection::abandonAfter(int millis)
{
    const qint64 at = steadyMillis() + std::max(0, millis);
    qint64 before = m_abandonAt.load();
    while ((before == 0 || at < before) && !m_abandonAt.compare_exchange_weak(before, at)) {
    }
    wake(m_wake[1]);
}

// Sent from a thread of its own: libpq's cancel request waits for the
// server's postmaster, which may be the very thing not answering.
void PgConnection::sendCancel()
{
    m_cancelAsked = false;
    if (!m_conn)
        return;
    PGcancel *cancel = PQgetCancel(m_conn);
    if (!cancel)
        return;
    std::thread([cancel] {
        char why[256];
        PQcancel(cancel, why, int(sizeof why));
        PQfreeCancel(cancel);
    }).detach();
}

qint64 PgConnection::answerDeadline() const
{
    m_boundMillis = m_answerMillis;
    return m_answerMillis > 0 ? steadyMillis() + m_answerMillis
                              : std::numeric_limits<qint64>::max();
}

void PgConnection::waitSocket(bool forWrite, qint64 deadline, const QByteArray &what)
{
    for (;;) {
        const int socket = PQsocket(m_conn);
        if (socket < 0)
            return; // libpq tells what broke
        if (m_cancelAsked)
            sendCancel();
        const qint64 abandonAt = m_abandonAt.load();
        const bool abandoning = abandonAt > 0 && abandonAt < deadline;
        const qint64 left = (abandoning ? abandonAt : deadline) - steadyMillis();
        if (left <= 0)
            giveUp(what, abandoning);
        pollfd fds[2] = {{socket, short(POLLIN | (forWrite ? POLLOUT : 0)), 0},
                         {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(fds, m_wake[0] >= 0 ? 2 : 1, int(std::min<qint64>(left, 60000)));
        if (ready < 0 && errno != EINTR)
            fail(QStringLiteral("waiting for the server"));
        if (ready > 0 && fds[1].revents) {
            char drained[64];
            while (::read(m_wake[0], drained, sizeof drained) > 0) {
            }
        }
        if (ready > 0 && fds[0].revents)
            return;
    }
}

void PgConnection::giveUp(const QByteArray &what, bool abandoned)
{
    sendCancel();
    closeSocket();
    m_gaveUp = abandoned ? QStringLiteral("the wait for the server was ended (a stop or a "
                                          "cancel); the connection was closed")
                         : QStringLiteral("the server did not answer within %1 s; the connection "
                                          "was closed")
                               .arg(m_boundMillis / 1000.0);
    m_lastState = QByteArray();
    m_streaming = QByteArray();
    fail(QString::fromUtf8(what.left(60)));
}

// Ends the connection on our side without a word to the server, which may
// not be listening: libpq then finds it closed.
void PgConnection::closeSocket()
{
    const int socket = PQsocket(m_conn);
    if (socket < 0)
        return;
    ::shutdown(socket, SHUT_RDWR);
    if (PQstatus(m_conn) == CONNECTION_OK)
        PQconsumeInput(m_conn);
}

void PgConnection::flushOut(qint64 deadline, const QByteArray &what)
{
    for (;;) {
        const int left = PQflush(m_conn);
        if (left == 0)
            return;
        if (left < 0)
            fail(QString::fromUtf8(what.left(60)));
        waitSocket(true, deadline, what);
        if (!PQconsumeInput(m_conn))
            fail(QString::fromUtf8(what.left(60)));
    }
}

PGresult *PgConnection::nextResult(qint64 deadline, const QByteArray &what)
{
    flushOut(deadline, what);
    while (PQisBusy(m_conn)) {
        waitSocket(false, deadline, what);
        if (!PQconsumeInput(m_conn))
            break; // PQgetResult says what broke
    }
    return PQgetResult(m_conn);
}

void PgConnection::sent(bool ok, const QByteArray &sql)
{
    if (!ok)
        fail(QString::fromUtf8(sql.left(60)));
}

PgResult PgConnection::finish(const QByteArray &sql)
{
    const qint64 deadline = answerDeadline();
    PGresult *last = nullptr;
    PGresult *failure = nullptr;
    while (PGresult *result = nextResult(deadline, sql)) {
        const auto status = PQresultStatus(result);
        if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT) {
            // Not asked for here; the COPY is ended as failed.
            PQputCopyEnd(m_conn, "not expected");
            PQclear(result);
            continue;
        }
        const bool good =
            status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
        if (!good && !failure) {
            failure = result;
            continue;
        }
        if (good) {
            PQclear(last);
            last = result;
        } else {
            PQclear(result);
        }
        if (!isConnected())
            break;
    }
    if (failure) {
        PQclear(last);
        failWith(failure, sql);
    }
    if (!last)
        fail(QString::fromUtf8(sql.left(60)));
    return PgResult(last);
}

void PgConnection::exec(const QByteArray &sql)
{
    if (!m_conn)
        fail(QStringLiteral("cannot run a statement"));
    m_cancelAsked = false;
    sent(PQsendQuery(m_conn, sql.constData()), sql);
    finish(sql);
}

PgResult PgConnection::query(const QByteArray &sql, const Params &params)
{
    if (!m_conn)
        fail(QStringLiteral("cannot run a query"));
    std::vector<const char *> values;
    for (const QByteArray &p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    m_cancelAsked = false;
    sent(PQsendQueryParams(m_conn, sql.constData(), int(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0),
         sql);
    return finish(sql);
}

bool PgConnection::eachRow(const QByteArray &sql, const std::function<bool(const PgResult &)> &row,
                           const Params &params)
{
    startRows(sql, params);
    PgResult next;
    while (nextRow(next)) {
        if (!row(next)) {
            stopRows();
            return false;
        }
    }
    return true;
}

void PgConnection::startRows(const QByteArray &sql, const Params &params)
{
    std::vector<const char *> values;
    std::vector<int> lengths;
    for (const QByteArray &p : params) {
        values.push_back(p.isNull() ? nullptr : p.constData());
        lengths.push_back(int(p.size()));
    }
    m_cancelAsked = false;
    const bool sentOk =
        m_conn &&
        (params.empty() ? PQsendQuery(m_conn, sql.constData())
                        : PQsendQueryParams(m_conn, sql.constData(), int(params.size()), nullptr,
                                            values.data(), lengths.data(), nullptr, 0));
    // Single rows must be asked for before anything else happens on the connection.
    if (!sentOk || !PQsetSingleRowMode(m_conn))
        fail(QString::fromUtf8(sql.left(60)));
    m_streaming = sql;
    flushOut(answerDeadline(), sql);
}

bool PgConnection::nextRow(PgResult &row)
{
    if (m_streaming.isNull())
        return false;
    const QByteArray sql = m_streaming;
    PGresult *next = nextResult(answerDeadline(), sql);
    const auto status = next ? PQresultStatus(next) : PGRES_TUPLES_OK;
    if (status == PGRES_SINGLE_TUPLE) {
        row = PgResult(next);
        return true;
    }
    QByteArray reason = next ? QByteArray(PQresultErrorMessage(next)).trimmed() : QByteArray();
    const char *state = next ? PQresultErrorField(next, PG_DIAG_SQLSTATE) : nullptr;
    m_lastState = state ? QByteArray(state) : QByteArray();
    PQclear(next);
    m_streaming = QByteArray();
    // The rest of the answer (the empty end, or nothing) is read away.
    while (PGresult *rest = nextResult(answerDeadline(), sql))
        PQclear(rest);
    if (status == PGRES_TUPLES_OK)
        return false;
    if (reason.isEmpty() || !m_gaveUp.isEmpty())
        fail(QString::fromUtf8(sql.left(60)));
    throw StoreError(
        QStringLiteral("%1: %2: %3")
            .arg(m_url.display(), QString::fromUtf8(sql.left(60)), QString::fromUtf8(reason)));
}

void PgConnection::stopRows()
{
    if (m_streaming.isNull())
        return;
    const QByteArray sql = m_streaming;
    m_streaming = QByteArray();
    // Ask the server to stop sending; what it already sent is read away,
    // for a while: a server that does not stop loses the connection.
    sendCancel();
    const qint64 deadline = std::min(answerDeadline(), steadyMillis() + kCancelGraceMillis);
    try {
        while (PGresult *rest = nextResult(deadline, sql))
            PQclear(rest);
    } catch (const StoreError &) {
        // Closed: the next statement says so, or reconnects.
    }
}

QList<QByteArray> PgConnection::columnsOf(const QByteArray &sql, int params)
{
    if (!m_conn)
        fail(QStringLiteral("cannot plan a statement"));
    m_cancelAsked = false;
    sent(PQsendPrepare(m_conn, "", sql.constData(), params, nullptr), sql);
    finish(sql);
    sent(PQsendDescribePrepared(m_conn, ""), sql);
    const PgResult described = finish(sql);
    QList<QByteArray> names;
    for (int i = 0; i < described.columns(); ++i)
        names << described.columnName(i);
    return names;
}

bool PgConnection::copyIn(const QByteArray &copySql, const std::function<bool(QByteArray &)> &next,
                          const std::function<bool()> &cancelled)
{
    if (!m_conn)
        fail(QStringLiteral("cannot copy"));
    m_cancelAsked = false;
    sent(PQsendQuery(m_conn, copySql.constData()), copySql);
    PGresult *start = nextResult(answerDeadline(), copySql);
    if (PQresultStatus(start) != PGRES_COPY_IN) {
        while (PGresult *rest = nextResult(answerDeadline(), copySql))
            PQclear(rest);
        failWith(start, copySql);
    }
    PQclear(start);
    // Each piece is queued whole, waiting for room as the server reads.
    const auto put = [&](const auto &queue) {
        const qint64 deadline = answerDeadline();
        int queued;
        while ((queued = queue()) == 0)
            flushOut(deadline, copySql);
        if (queued < 0)
            fail(QString::fromUtf8(copySql.left(60)));
        flushOut(deadline, copySql);
    };
    const auto readAway = [&] {
        while (PGresult *r = nextResult(answerDeadline(), copySql))
            PQclear(r);
    };
    QByteArray piece;
    bool more = true, stopped = false;
    while (more) {
        piece.clear();
        try {
            more = next(piece);
        } catch (...) {
            // The server is told the COPY failed, so the connection can roll back.
            try {
                put([&] { return PQputCopyEnd(m_conn, "the rows could not be read"); });
                readAway();
            } catch (const StoreError &) {
                // The connection is closed; the server rolls back on its own.
            }
            throw;
        }
        if (!piece.isEmpty())
            put([&] { return PQputCopyData(m_conn, piece.constData(), int(piece.size())); });
        if (cancelled && cancelled()) {
            stopped = true;
            break;
        }
    }
    put([&] { return PQputCopyEnd(m_conn, stopped ? "cancelled" : nullptr); });
    bool ok = true;
    while (PGresult *r = nextResult(answerDeadline(), copySql)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
            ok = false;
            const char *state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
            m_lastState = state ? QByteArray(state) : QByteArray();
        }
        PQclear(r);
    }
    if (stopped)
        return false;
    if (!ok)
        fail(QString::fromUtf8(copySql.left(60)));
    return true;
}

PgTransaction::PgTransaction(PgConnection &db) : m_db(db)
{
    m_db.exec("BEGIN");
}

PgTransaction::~PgTransaction()
{
    if (!m_open)
        return;
    try {
        m_db.exec("ROLLBACK");
    } catch (const StoreError &) {
        // The connection is gone; the server rolls back on its own.
    }
}

void PgTransaction::commit()
{
    m_db.exec("COMMIT");
    m_open = false;
}

} // namespace corvane
