#pragma once

#include "Schema.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace corvane
{

class PgResult;
class SqliteDb;
class SqliteStatement;
class Store;

// One statement the SQLite files and a server store both run: the same SQL,
// its values bound by position (?, or ?N), read row by row. On a server the
// markers become $N and the statement runs, whole, at the first step; a
// statement whose SQL only one engine knows is written per engine instead.
class StoreStatement
{
public:
    StoreStatement(Store &store, Schema::File file, const QByteArray &sql);
    // On one SQLite file directly, for work that also runs before a Store
    // exists (an upgrade step) or inside one file's transaction.
    StoreStatement(SqliteDb &db, const QByteArray &sql);
    ~StoreStatement();
    StoreStatement(const StoreStatement &) = delete;
    StoreStatement &operator=(const StoreStatement &) = delete;

    void bind(int index, const QString &value);
    void bind(int index, qint64 value);
    void bindVariant(int index, const QVariant &value);
    // Returns true while there is a row to read.
    bool step();
    // Forgets the rows and the bound values, for the next use.
    void reset();
    // Runs a statement that returns no rows, then resets it.
    void run();
    // Runs an INSERT of one row, then resets it; returns the new row's key
    // (the column named, which the files know as the rowid).
    qint64 insert(const char *keyColumn = "rowid");
    // The rows the last run changed.
    qint64 changes() const;

    int columnCount() const;
    QString text(int column) const;
    qint64 int64(int column) const;
    QVariant value(int column) const;
    bool isNull(int column) const;
    // The UTF-8 text of a column without a copy, for tight loops; valid
    // until the next step. Null for NULL.
    const char *rawText(int column, int *size) const;

    // The SQL with SQLite's markers numbered for the server ($1, $2, ...);
    // markers inside quoted text are left alone.
    static QByteArray numberedMarkers(const QByteArray &sql, int *count = nullptr);
    // For scanners of SQL text: copies c to out when it lies in quoted text
    // (or opens or closes it), tracking the open quote; false otherwise.
    static bool copiesQuoted(char c, char &quote, QByteArray &out);

private:
    PgResult query();

    std::unique_ptr<SqliteStatement> m_files;
    // On a server: the connection, the SQL, the values and the rows.
    Store *m_store = nullptr;
    QByteArray m_sql;
    std::vector<QByteArray> m_values;
    std::unique_ptr<PgResult> m_rows;
    int m_row = -1;
    qint64 m_changes = 0;
};

} // namespace corvane
