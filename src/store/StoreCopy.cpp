#include "StoreCopy.h"

#include "MessageSearchIndex.h"
#include "PgConnection.h"
#include "PgCopyText.h"
#include "PgSchema.h"
#include "PgTableSql.h"
#include "SchemaDeclarations.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

#include <cstring>
#include <sqlite3.h>

namespace corvane
{

namespace
{

constexpr qint64 kTickRows = 5000;
// COPY text is sent in pieces of about this size.
constexpr qsizetype kCopyPiece = 1 << 20;

struct CopiedTable {
    Schema::File file;
    TableDeclaration table;
};

std::vector<CopiedTable> copiedTables()
{
    std::vector<CopiedTable> all;
    for (Schema::File file : Schema::kFiles)
        for (const TableDeclaration &table :
             SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion))
            all.push_back({file, table});
    return all;
}

// A new store holds the label meanings it starts with; the copy replaces them.
bool startsFilled(const TableDeclaration &table)
{
    return QByteArray(table.name) == "LABELS";
}

// The columns a copy moves, the rowid first where the table has one, so
// that rows keep the rowids others refer to.
QByteArray columnList(const TableDeclaration &table)
{
    QByteArray list = SchemaDeclarations::hasImplicitRowId(table) ? "rowid" : "";
    for (const ColumnDeclaration &column : table.columns)
        list += (list.isEmpty() ? "" : ", ") + SchemaDeclarations::identifier(column.name);
    return list;
}

QString tableName(const TableDeclaration &table)
{
    return QString::fromLatin1(table.name);
}

void appendCopyField(PgCopyText &out, sqlite3_stmt *row, int column)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        out.null();
        break;
    case SQLITE_INTEGER:
        out.number(sqlite3_column_int64(row, column));
        break;
    case SQLITE_FLOAT:
        out.real(sqlite3_column_double(row, column));
        break;
    default:
        out.text(reinterpret_cast<const char *>(sqlite3_column_text(row, column)),
                 sqlite3_column_bytes(row, column));
    }
}

qint64 sqliteRows(SqliteDb &db, const TableDeclaration &table)
{
    SqliteStatement count(
        db, ("SELECT count(*) FROM " + SchemaDeclarations::identifier(table.name)).constData());
    return count.step() ? count.int64(0) : 0;
}

qint64 serverRows(PgConnection &server, const TableDeclaration &table)
{
    return server.query("SELECT count(*) FROM " + SchemaDeclarations::identifier(table.name))
        .int64(0, 0);
}

void refuseFilled(const QString &where, const QString &table, qint64 rows)
{
    throw StoreError(QStringLiteral("%1 already holds rows (%2: %3); copy only into an empty store")
                         .arg(where, table, QString::number(rows)));
}

// Makes the server's next rowid follow the copied ones.
void advanceRowIds(PgConnection &server, const TableDeclaration &table)
{
    QByteArray key;
    if (SchemaDeclarations::hasImplicitRowId(table))
        key = "rowid";
    for (const ColumnDeclaration &column : table.columns)
        if (SchemaDeclarations::isIntegerKey(column))
            key = SchemaDeclarations::identifier(column.name).toLower();
    if (key.isEmpty())
        return;
    const QByteArray name = SchemaDeclarations::identifier(table.name);
    server.exec("SELECT setval(pg_get_serial_sequence('" + name.toLower() + "', '" + key +
                "'), coalesce((SELECT max(" + key + ") FROM " + name + "), 0) + 1, false)");
}

void bindServerValue(sqlite3_stmt *insert, int index, const PgResult &row, int column,
                     const char *type)
{
    if (row.isNull(0, column)) {
        sqlite3_bind_null(insert, index);
        return;
    }
    const QByteArray value = row.value(0, column);
    if (std::strcmp(type, "INTEGER") == 0)
        sqlite3_bind_int64(insert, index, value.toLongLong());
    else if (std::strcmp(type, "REAL") == 0)
        sqlite3_bind_double(insert, index, value.toDouble());
    else
        sqlite3_bind_text(insert, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
}

} // namespace

StoreCopy::StoreCopy(Store &store) : m_store(store) {}

bool StoreCopy::tick(const QString &table, qint64 rows)
{
    m_rows += rows;
    return !m_progress || m_progress(table, m_rows, m_total);
}

bool StoreCopy::toServer(PgConnection &server, const Progress &progress)
{
    m_progress = progress;
    m_rows = m_total = 0;
    m_tables = 0;
    PgSchema::ensure(server);
    const auto tables = copiedTables();
    PgTransaction transaction(server);
    // Other stations wait for the copy rather than record into a half-filled store.
    for (const CopiedTable &t : tables)
        server.exec("LOCK TABLE " + SchemaDeclarations::identifier(t.table.name) +
                    " IN EXCLUSIVE MODE");
    for (const CopiedTable &t : tables) {
        const qint64 rows = serverRows(server, t.table);
        if (rows > 0 && !startsFilled(t.table))
            refuseFilled(server.url().display(), tableName(t.table), rows);
        m_total += sqliteRows(m_store.db(t.file), t.table);
    }
    // The search index is built once over all the messages, several times
    // faster than kept row by row.
    server.exec("DROP INDEX IF EXISTS idxSearch");
    for (const CopiedTable &t : tables) {
        const QByteArray name = SchemaDeclarations::identifier(t.table.name);
        const QByteArray columns = columnList(t.table);
        server.exec("DELETE FROM " + name);
        SqliteStatement read(m_store.db(t.file),
                             ("SELECT " + columns + " FROM " + name).constData());
        const int width = read.columnCount();
        qint64 pending = 0;
        bool cancelled = false;
        const bool copied = server.copyIn(
            "COPY " + name + " (" + columns + ") FROM STDIN",
            [&](QByteArray &piece) {
                PgCopyText rows(piece);
                while (piece.size() < kCopyPiece) {
                    if (!read.step())
                        return false;
                    for (int c = 0; c < width; ++c)
                        appendCopyField(rows, read.handle(), c);
                    rows.endRow();
                    if (++pending == kTickRows) {
                        cancelled = !tick(tableName(t.table), pending);
                        pending = 0;
                        if (cancelled)
                            return true;
                    }
                }
                return true;
            },
            [&] { return cancelled; });
        if (!copied)
            return false;
        if (!tick(tableName(t.table), pending))
            return false;
        advanceRowIds(server, t.table);
        ++m_tables;
    }
    server.exec("SET LOCAL maintenance_work_mem = '256MB'");
    server.exec(PgTableSql::kCreateSearchIndex);
    transaction.commit();
    // Statistics for the planner and the visibility of every row settled now,
    // rather than by the first searches or a later autovacuum.
    server.exec("VACUUM (ANALYZE)");
    return true;
}

bool StoreCopy::fromServer(PgConnection &server, const Progress &progress)
{
    m_progress = progress;
    m_rows = m_total = 0;
    m_tables = 0;
    if (PgSchema::version(server) != Schema::kCurrentVersion)
        PgSchema::ensure(server);
    const auto tables = copiedTables();
    // One read-only snapshot of the whole server store.
    PgTransaction snapshot(server);
    server.exec("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    std::vector<std::unique_ptr<SqliteTransaction>> writes;
    for (Schema::File file : Schema::kFiles)
        writes.push_back(std::make_unique<SqliteTransaction>(m_store.db(file)));
    for (const CopiedTable &t : tables) {
        const qint64 rows = sqliteRows(m_store.db(t.file), t.table);
        if (rows > 0 && !startsFilled(t.table))
            refuseFilled(m_store.folder(), tableName(t.table), rows);
        m_total += serverRows(server, t.table);
    }
    for (const CopiedTable &t : tables) {
        SqliteDb &db = m_store.db(t.file);
        const QByteArray name = SchemaDeclarations::identifier(t.table.name);
        const QByteArray columns = columnList(t.table);
        db.exec(("DELETE FROM " + name).constData());
        std::vector<const char *> types;
        if (SchemaDeclarations::hasImplicitRowId(t.table))
            types.push_back("INTEGER");
        for (const ColumnDeclaration &column : t.table.columns)
            types.push_back(column.type);
        QByteArray marks;
        for (size_t i = 0; i < types.size(); ++i)
            marks += i ? ", ?" : "?";
        SqliteStatement insert(
            db, ("INSERT INTO " + name + " (" + columns + ") VALUES (" + marks + ")").constData());
        qint64 pending = 0;
        const bool whole =
            server.eachRow("SELECT " + columns + " FROM " + name, [&](const PgResult &row) {
                for (int c = 0; c < int(types.size()); ++c)
                    bindServerValue(insert.handle(), c + 1, row, c, types[size_t(c)]);
                insert.run();
                if (++pending < kTickRows)
                    return true;
                const bool go = tick(tableName(t.table), pending);
                pending = 0;
                return go;
            });
        if (!whole || !tick(tableName(t.table), pending))
            return false;
        ++m_tables;
    }
    MessageSearchIndex::fill(m_store.acarsLog(), {});
    for (auto &write : writes)
        write->commit();
    return true;
}

} // namespace corvane
