#include "PgConnection.h"

#include "StoreError.h"

#include <libpq-fe.h>

namespace corvane
{

namespace
{

// The server's notices ("already exists, skipping") are not the user's business.
void ignoreNotice(void *, const char *) {}

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

PgConnection::~PgConnection()
{
    close();
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
    PQsetNoticeProcessor(m_conn, &ignoreNotice, nullptr);
    m_cancel = PQgetCancel(m_conn);
}

void PgConnection::cancelRunning()
{
    char why[256];
    if (m_cancel)
        PQcancel(m_cancel, why, int(sizeof why));
}

void PgConnection::close()
{
    if (m_cancel)
        PQfreeCancel(m_cancel);
    m_cancel = nullptr;
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

void PgConnection::fail(const QString &what) const
{
    const QString why = m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
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
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        return false;
    PQsetNoticeProcessor(m_conn, &ignoreNotice, nullptr);
    if (m_cancel)
        PQfreeCancel(m_cancel);
    m_cancel = PQgetCancel(m_conn);
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
    PQclear(result);
    fail(QString::fromUtf8(sql.left(60)));
}

void PgConnection::exec(const QByteArray &sql)
{
    if (!m_conn)
        fail(QStringLiteral("cannot run a statement"));
    PGresult *result = PQexec(m_conn, sql.constData());
    const auto status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        failWith(result, sql);
    PQclear(result);
}

PgResult PgConnection::query(const QByteArray &sql, const Params &params)
{
    if (!m_conn)
        fail(QStringLiteral("cannot run a query"));
    std::vector<const char *> values;
    for (const QByteArray &p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    PGresult *result = PQexecParams(m_conn, sql.constData(), int(values.size()), nullptr,
                                    values.data(), nullptr, nullptr, 0);
    const auto status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        failWith(result, sql);
    return PgResult(result);
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
    const bool sent =
        m_conn &&
        (params.empty() ? PQsendQuery(m_conn, sql.constData())
                        : PQsendQueryParams(m_conn, sql.constData(), int(params.size()), nullptr,
                                            values.data(), lengths.data(), nullptr, 0));
    if (!sent || !PQsetSingleRowMode(m_conn))
        fail(QString::fromUtf8(sql.left(60)));
    m_streaming = sql;
}

bool PgConnection::nextRow(PgResult &row)
{
    if (m_streaming.isNull())
        return false;
    PGresult *next = PQgetResult(m_conn);
    const auto status = next ? PQresultStatus(next) : PGRES_TUPLES_OK;
    if (status == PGRES_SINGLE_TUPLE) {
        row = PgResult(next);
        return true;
    }
    const QByteArray sql = m_streaming;
    QByteArray reason = next ? QByteArray(PQresultErrorMessage(next)).trimmed() : QByteArray();
    PQclear(next);
    // The rest of the answer (the empty end, or nothing) is read away.
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
    m_streaming = QByteArray();
    if (status == PGRES_TUPLES_OK)
        return false;
    if (reason.isEmpty())
        fail(QString::fromUtf8(sql.left(60)));
    throw StoreError(
        QStringLiteral("%1: %2: %3")
            .arg(m_url.display(), QString::fromUtf8(sql.left(60)), QString::fromUtf8(reason)));
}

void PgConnection::stopRows()
{
    if (m_streaming.isNull())
        return;
    // Ask the server to stop sending; what it already sent is read away.
    cancelRunning();
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
    m_streaming = QByteArray();
}

QList<QByteArray> PgConnection::columnsOf(const QByteArray &sql, int params)
{
    if (!m_conn)
        fail(QStringLiteral("cannot plan a statement"));
    PGresult *prepared = PQprepare(m_conn, "", sql.constData(), params, nullptr);
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK)
        failWith(prepared, sql);
    PQclear(prepared);
    PGresult *described = PQdescribePrepared(m_conn, "");
    if (PQresultStatus(described) != PGRES_COMMAND_OK)
        failWith(described, sql);
    QList<QByteArray> names;
    for (int i = 0; i < PQnfields(described); ++i)
        names << QByteArray(PQfname(described, i));
    PQclear(described);
    return names;
}

bool PgConnection::copyIn(const QByteArray &copySql, const std::function<bool(QByteArray &)> &next,
                          const std::function<bool()> &cancelled)
{
    PGresult *start = PQexec(m_conn, copySql.constData());
    if (PQresultStatus(start) != PGRES_COPY_IN)
        failWith(start, copySql);
    PQclear(start);
    QByteArray piece;
    bool more = true, stopped = false;
    while (more) {
        piece.clear();
        try {
            more = next(piece);
        } catch (...) {
            // The server is told the COPY failed, so the connection can roll back.
            PQputCopyEnd(m_conn, "the rows could not be read");
            while (PGresult *r = PQgetResult(m_conn))
                PQclear(r);
            throw;
        }
        if (!piece.isEmpty() && PQputCopyData(m_conn, piece.constData(), int(piece.size())) != 1)
            break;
        if (cancelled && cancelled()) {
            stopped = true;
            break;
        }
    }
    const int ended = stopped ? PQputCopyEnd(m_conn, "cancelled") : PQputCopyEnd(m_conn, nullptr);
    bool ok = ended == 1;
    while (PGresult *r = PQgetResult(m_conn)) {
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
