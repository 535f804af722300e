#include "StoreStatement.h"

#include "PgConnection.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

namespace corvane
{

bool StoreStatement::copiesQuoted(char c, char &quote, QByteArray &out)
{
    if (!quote && c != '\'' && c != '"')
        return false;
    out += c;
    if (!quote)
        quote = c;
    else if (c == quote)
        quote = 0;
    return true;
}

QByteArray StoreStatement::numberedMarkers(const QByteArray &sql, int *count)
{
    QByteArray out;
    out.reserve(sql.size() + 16);
    int highest = 0;
    char quote = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (copiesQuoted(c, quote, out))
            continue;
        if (c != '?') {
            out += c;
            continue;
        }
        // ?N names its value; a bare ? takes the one after the highest so far.
        qsizetype end = i + 1;
        while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9')
            ++end;
        const int number = end > i + 1 ? sql.mid(i + 1, end - i - 1).toInt() : highest + 1;
        highest = std::max(highest, number);
        out += '$' + QByteArray::number(number);
        i = end - 1;
    }
    if (count)
        *count = highest;
    return out;
}

StoreStatement::StoreStatement(Store &store, Schema::File file, const QByteArray &sql)
{
    if (!store.onServer()) {
        m_files = std::make_unique<SqliteStatement>(store.db(file), sql.constData());
        return;
    }
    m_store = &store;
    int count = 0;
    m_sql = numberedMarkers(sql, &count);
    m_values.resize(size_t(count));
}

StoreStatement::StoreStatement(SqliteDb &db, const QByteArray &sql)
    : m_files(std::make_unique<SqliteStatement>(db, sql.constData()))
{
}

StoreStatement::~StoreStatement() = default;

void StoreStatement::bind(int index, const QString &value)
{
    if (m_files)
        return m_files->bind(index, value);
    if (index < 1 || index > int(m_values.size()))
        throw StoreError(QStringLiteral("Parameter %1 out of range").arg(index));
    // A null QByteArray binds NULL; an empty text is not one.
    QByteArray utf8 = value.toUtf8();
    if (utf8.isNull())
        utf8 = QByteArray("");
    m_values[size_t(index - 1)] = utf8;
}

void StoreStatement::bind(int index, qint64 value)
{
    if (m_files)
        return m_files->bind(index, value);
    bind(index, QString::number(value));
}

void StoreStatement::bindVariant(int index, const QVariant &value)
{
    if (m_files)
        return m_files->bindVariant(index, value);
    if (index < 1 || index > int(m_values.size()))
        throw StoreError(QStringLiteral("Parameter %1 out of range").arg(index));
    if (value.isNull())
        m_values[size_t(index - 1)] = QByteArray();
    else if (value.typeId() == QMetaType::Bool)
        bind(index, qint64(value.toBool()));
    else
        bind(index, value.toString());
}

bool StoreStatement::step()
{
    if (m_files)
        return m_files->step();
    if (!m_rows) {
        m_rows = std::make_unique<PgResult>(query());
        m_changes = m_rows->affectedRows();
    }
    return ++m_row < m_rows->rows();
}

PgResult StoreStatement::query()
{
    PgConnection &db = m_store->server();
    try {
        return db.query(m_sql, m_values);
    } catch (const StoreError &) {
        // A server restarted since the last statement (or a link that went
        // down and came back): a read runs again, once, on a new
        // connection. A write does not: it may have been done. Nor does a
        // read inside a transaction.
        const bool read = m_sql.trimmed().left(6).toUpper() == "SELECT";
        if (!read || !m_store->reconnectedOutsideTransaction())
            throw;
        return db.query(m_sql, m_values);
    }
}

void StoreStatement::reset()
{
    if (m_files)
        return m_files->reset();
    m_rows.reset();
    m_row = -1;
    for (QByteArray &v : m_values)
        v = QByteArray();
}

void StoreStatement::run()
{
    step();
    reset();
}

qint64 StoreStatement::insert(const char *keyColumn)
{
    if (m_files) {
        m_files->run();
        return sqlite3_last_insert_rowid(sqlite3_db_handle(m_files->handle()));
    }
    const QByteArray plain = m_sql;
    m_sql += QByteArray(" RETURNING ") + keyColumn;
    qint64 id = 0;
    try {
        id = step() ? int64(0) : 0;
    } catch (...) {
        m_sql = plain;
        throw;
    }
    m_sql = plain;
    reset();
    return id;
}

qint64 StoreStatement::changes() const
{
    if (m_files)
        return sqlite3_changes(sqlite3_db_handle(m_files->handle()));
    return m_changes;
}

int StoreStatement::columnCount() const
{
    if (m_files)
        return m_files->columnCount();
    return m_rows ? m_rows->columns() : 0;
}

QString StoreStatement::text(int column) const
{
    if (m_files)
        return m_files->text(column);
    return QString::fromUtf8(m_rows->value(m_row, column));
}

qint64 StoreStatement::int64(int column) const
{
    if (m_files)
        return m_files->int64(column);
    return m_rows->int64(m_row, column);
}

QVariant StoreStatement::value(int column) const
{
    if (m_files)
        return m_files->value(column);
    return m_rows->variant(m_row, column);
}

bool StoreStatement::isNull(int column) const
{
    if (m_files)
        return m_files->isNull(column);
    return m_rows->isNull(m_row, column);
}

const char *StoreStatement::rawText(int column, int *size) const
{
    if (m_files) {
        const auto *text =
            reinterpret_cast<const char *>(sqlite3_column_text(m_files->handle(), column));
        *size = sqlite3_column_bytes(m_files->handle(), column);
        return text;
    }
    if (m_rows->isNull(m_row, column)) {
        *size = 0;
        return nullptr;
    }
    return m_rows->raw(m_row, column, size);
}

} // namespace corvane
