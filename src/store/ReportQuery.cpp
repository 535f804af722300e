#include "ReportQuery.h"

#include "Schema.h"
#include "ServerReportQuery.h"
#include "StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace corvane
{

ReportQuery::ReportQuery(const QString &storeFolder, const QStringList &attach,
                         const QString &serverUrl, int statementTimeoutSeconds)
    : m_path(QDir(storeFolder).filePath(Schema::fileName(Schema::File::AcarsLog))),
      m_timeoutMillis(qint64(statementTimeoutSeconds) * 1000)
{
    if (!serverUrl.isEmpty()) {
        m_server = std::make_unique<ServerReportQuery>(serverUrl, attach, statementTimeoutSeconds);
        return;
    }
    // Opening read-only would not create a missing file, but say which one.
    if (!QFileInfo(m_path).isFile())
        throw StoreError(QStringLiteral("Cannot open %1: no such file").arg(m_path));
    // As the store reads its files: an existing shared-memory companion of
    // the write-ahead log is read as it is where it cannot be made or grown
    // (a read-only folder or mount, a full disk); without one, nobody writes
    // the file either and it is read alone.
    for (const auto mode : {SqliteDb::Mode::ReadOnly, SqliteDb::Mode::ReadOnlySharedMemory}) {
        openMain(mode);
        if (canRead())
            break;
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    if (!m_db)
        openMain(SqliteDb::Mode::Immutable);
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_exec(m_db, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
    try {
        // The attached files open read-only as the main one did.
        if (attach.contains(QLatin1String("routes")))
            attachFile(QDir(storeFolder).filePath(Schema::fileName(Schema::File::Routes)),
                       "routes");
        if (attach.contains(QLatin1String("alerts")))
            attachFile(QDir(storeFolder).filePath(Schema::fileName(Schema::File::Alerts)),
                       "alerts");
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
    sqlite3_set_authorizer(m_db, &ReportQuery::authorize, nullptr);
    if (m_timeoutMillis > 0)
        sqlite3_progress_handler(m_db, 10000, &ReportQuery::checkTime, this);
}

// A step that runs past the timeout is interrupted.
int ReportQuery::checkTime(void *query)
{
    auto *q = static_cast<ReportQuery *>(query);
    if (q->m_stepClock.isValid() && q->m_stepClock.elapsed() > q->m_timeoutMillis)
        q->m_timedOut = true;
    return q->m_timedOut ? 1 : 0;
}

void ReportQuery::openMain(SqliteDb::Mode mode)
{
    m_mode = mode;
    const QByteArray name = fileName(m_path);
    if (sqlite3_open_v2(name.constData(), &m_db, SqliteDb::openingFlags(mode), nullptr) !=
        SQLITE_OK) {
        const QString why =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw StoreError(QStringLiteral("Cannot open %1: %2").arg(m_path, why));
    }
}

QByteArray ReportQuery::fileName(const QString &path) const
{
    return SqliteDb::openingName(path, m_mode);
}

bool ReportQuery::canRead()
{
    return sqlite3_exec(m_db, "SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
           SQLITE_OK;
}

ReportQuery::~ReportQuery()
{
    sqlite3_finalize(m_stmt);
    sqlite3_close_v2(m_db);
}

void ReportQuery::attachFile(const QString &path, const char *schema)
{
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QByteArray("ATTACH DATABASE ? AS ") + schema;
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Cannot attach %1").arg(path));
    const QByteArray file = fileName(path);
    sqlite3_bind_text(st, 1, file.constData(), int(file.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot attach %1").arg(path));
}

int ReportQuery::authorize(void *, int action, const char *, const char *, const char *,
                           const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

void ReportQuery::fail(const QString &what) const
{
    throw StoreError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(m_db))));
}

void ReportQuery::prepare(const QString &sql)
{
    if (m_server)
        return m_server->prepare(sql);
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, &tail) != SQLITE_OK)
        fail(QStringLiteral("The query is refused"));
    if (!m_stmt)
        throw StoreError(QStringLiteral("The query is empty"));
    refuseMoreStatements(tail);
    if (!sqlite3_stmt_readonly(m_stmt) || sqlite3_column_count(m_stmt) == 0)
        throw StoreError(QStringLiteral("The query must only read (a SELECT)"));
    for (int i = 1; i <= sqlite3_bind_parameter_count(m_stmt); ++i)
        if (!sqlite3_bind_parameter_name(m_stmt, i) ||
            sqlite3_bind_parameter_name(m_stmt, i)[0] == '?')
            throw StoreError(QStringLiteral("The query must name its parameters (:DateFrom, "
                                            ":DateTo, :Flight, :Reg), not use \"?\""));
}

// What follows the statement may be comments and semicolons, nothing more.
void ReportQuery::refuseMoreStatements(const char *tail)
{
    const char *rest = tail;
    while (rest && *rest) {
        sqlite3_stmt *more = nullptr;
        const char *after = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, rest, -1, &more, &after);
        sqlite3_finalize(more);
        if (rc != SQLITE_OK || more)
            throw StoreError(QStringLiteral("The query must be one statement; more follows \"%1\"")
                                 .arg(QString::fromUtf8(tail).trimmed().left(40)));
        if (!after || after == rest)
            break;
        rest = after;
    }
}

QStringList ReportQuery::parameterNames() const
{
    if (m_server)
        return m_server->parameterNames();
    QStringList names;
    for (int i = 1; i <= sqlite3_bind_parameter_count(m_stmt); ++i)
        names << QString::fromUtf8(sqlite3_bind_parameter_name(m_stmt, i) + 1);
    return names;
}

void ReportQuery::bind(const QString &name, const QString &value)
{
    if (m_server)
        return m_server->bind(name, value);
    sqlite3_reset(m_stmt);
    const QByteArray bytes = value.toUtf8();
    for (const char *prefix : {":", "@", "$"}) {
        const int index =
            sqlite3_bind_parameter_index(m_stmt, (QByteArray(prefix) + name.toUtf8()).constData());
        if (index > 0)
            sqlite3_bind_text(m_stmt, index, bytes.constData(), int(bytes.size()),
                              SQLITE_TRANSIENT);
    }
}

QStringList ReportQuery::columnNames() const
{
    if (m_server)
        return m_server->columnNames();
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(m_stmt); ++i)
        names << QString::fromUtf8(sqlite3_column_name(m_stmt, i));
    return names;
}

bool ReportQuery::next()
{
    if (m_server)
        return m_server->next();
    m_timedOut = false;
    m_stepClock.start();
    const int rc = sqlite3_step(m_stmt);
    m_stepClock.invalidate();
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString why =
        m_timedOut ? QStringLiteral("the query ran longer than the statement timeout of %1 s "
                                    "(setting [Reports] StatementTimeout)")
                         .arg(m_timeoutMillis / 1000)
                   : QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    throw StoreError(QStringLiteral("Reading %1 failed: %2").arg(m_path, why));
}

QString ReportQuery::text(int column) const
{
    if (m_server)
        return m_server->text(column);
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column)) : QString();
}

void ReportQuery::restart()
{
    if (m_server)
        return m_server->restart();
    sqlite3_reset(m_stmt);
}

void ReportQuery::interrupt()
{
    if (m_server)
        return m_server->interrupt();
    sqlite3_interrupt(m_db);
}

} // namespace corvane
