#include "SqliteDb.h"

#include "StoreError.h"

#include <QStringList>
#include <QUrl>
#include <cerrno>

namespace corvane
{

SqliteDb::~SqliteDb()
{
    close();
}

void SqliteDb::open(const QString &path, Mode mode)
{
    close();
    m_path = path;
    const int rc =
        sqlite3_open_v2(openingName(path, mode).constData(), &m_db, openingFlags(mode), nullptr);
    if (rc != SQLITE_OK) {
        const QString why =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        close();
        throw StoreError(QStringLiteral("Cannot open %1: %2").arg(path, why));
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
}

QByteArray SqliteDb::openingName(const QString &path, Mode mode)
{
    switch (mode) {
    case Mode::ReadOnlySharedMemory:
        return QUrl::fromLocalFile(path).toEncoded() + "?readonly_shm=1";
    case Mode::Immutable:
        return QUrl::fromLocalFile(path).toEncoded() + "?immutable=1";
    default:
        return path.toUtf8();
    }
}

int SqliteDb::openingFlags(Mode mode)
{
    switch (mode) {
    case Mode::ReadWrite:
        return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case Mode::ReadOnly:
        return SQLITE_OPEN_READONLY;
    default:
        return SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
    }
}

void SqliteDb::setLockWait(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

void SqliteDb::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void SqliteDb::fail(const QString &what) const
{
    const QString why = m_db ? failure(sqlite3_errmsg(m_db)) : QStringLiteral("not open");
    throw StoreError(QStringLiteral("%1 (%2): %3").arg(what, m_path, why));
}

bool SqliteDb::failedForSpace() const
{
    if (!m_db)
        return false;
    // The engine says SQLITE_FULL where it writes the files; where it makes
    // or grows the shared memory, an I/O error whose cause tells.
    const int code = sqlite3_extended_errcode(m_db) & 0xff;
    const int cause = sqlite3_system_errno(m_db);
    return code == SQLITE_FULL || (code == SQLITE_IOERR && (cause == ENOSPC || cause == EDQUOT));
}

QString SqliteDb::failure(const char *message) const
{
    const QString engine = QString::fromUtf8(message ? message : "unknown error");
    if (!failedForSpace() || (sqlite3_extended_errcode(m_db) & 0xff) == SQLITE_FULL)
        return engine;
    return QStringLiteral("the disk is full (%1)").arg(engine);
}

void SqliteDb::exec(const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString why = failure(err);
        sqlite3_free(err);
        throw StoreError(QStringLiteral("Database error in %1: %2").arg(m_path, why));
    }
}

int SqliteDb::userVersion()
{
    SqliteStatement st(*this, "PRAGMA user_version");
    return st.step() ? int(st.int64(0)) : 0;
}

void SqliteDb::setUserVersion(int version)
{
    exec(QStringLiteral("PRAGMA user_version = %1").arg(version).toUtf8().constData());
}

bool SqliteDb::tableExists(const QString &table)
{
    SqliteStatement st(*this,
                       "SELECT 1 FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE");
    st.bind(1, table);
    return st.step();
}

QStringList SqliteDb::columnsOf(const QString &table)
{
    SqliteStatement st(*this, "SELECT name FROM pragma_table_info(?)");
    st.bind(1, table);
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

QStringList SqliteDb::tableNames()
{
    SqliteStatement st(*this, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

qint64 SqliteDb::lastInsertRowId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

SqliteStatement::SqliteStatement(SqliteDb &db, const char *sql) : m_db(db)
{
    if (sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) !=
        SQLITE_OK)
        db.fail(QStringLiteral("Cannot prepare \"%1\"").arg(QString::fromUtf8(sql)));
    m_held.resize(size_t(sqlite3_bind_parameter_count(m_stmt)));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::bind(int index, const QString &value)
{
    // Most text is ASCII: it is written straight into the parameter's own
    // buffer, which is kept from one row to the next instead of allocated.
    if (index < 1 || index > int(m_held.size()))
        m_db.fail(QStringLiteral("Parameter %1 out of range").arg(index));
    QByteArray &held = m_held[size_t(index - 1)];
    const qsizetype n = value.size();
    if (!held.isDetached() || held.capacity() < n)
        held = QByteArray(n, Qt::Uninitialized);
    else
        held.resize(n);
    char *out = held.data();
    const QChar *in = value.constData();
    char16_t seen = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        seen |= c;
        out[i] = char(c);
    }
    if (seen >= 0x80)
        held = value.toUtf8();
    sqlite3_bind_text(m_stmt, index, held.constData(), int(held.size()), SQLITE_STATIC);
}

void SqliteStatement::bind(int index, const QByteArray &utf8)
{
    // The statement keeps a (shared, not copied) reference to the text until
    // it is bound again, so SQLite need not copy it.
    if (index < 1 || index > int(m_held.size()))
        m_db.fail(QStringLiteral("Parameter %1 out of range").arg(index));
    QByteArray &held = m_held[size_t(index - 1)];
    held = utf8;
    sqlite3_bind_text(m_stmt, index, held.constData(), int(held.size()), SQLITE_STATIC);
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bindVariant(int index, const QVariant &value)
{
    if (value.isNull())
        sqlite3_bind_null(m_stmt, index);
    else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
             value.typeId() == QMetaType::Bool)
        bind(index, value.toLongLong());
    else
        bind(index, value.toString());
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString sql = QString::fromUtf8(sqlite3_sql(m_stmt));
    sqlite3_reset(m_stmt);
    m_db.fail(QStringLiteral("Statement failed \"%1\"").arg(sql));
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void SqliteStatement::run()
{
    step();
    reset();
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString SqliteStatement::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

qint64 SqliteStatement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return int64(column);
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    default:
        return text(column);
    }
}

SqliteTransaction::SqliteTransaction(SqliteDb &db) : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (m_open)
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::commit()
{
    m_db.exec("COMMIT");
    m_open = false;
}

} // namespace corvane
