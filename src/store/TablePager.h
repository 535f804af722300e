#pragma once

#include "Schema.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace corvane
{

class Store;
class SqliteStatement;

// What a paged grid shows of one table: its fields, an optional filter and
// the field it is ordered by. Built by BrowsingQueries.
struct PagedQuery {
    Schema::File file = Schema::File::AcarsLog;
    QString table;
    QStringList fields; // as SQL names, quoted where they need it
    QString where;      // a condition with "?" parameters, or empty
    QStringList parameters;
    QString orderField; // empty: the table's own order
};

// One row of a paged table.
struct TableRow {
    qint64 rowid = 0;
    QStringList fields;
};

// Reads a table in pages for a grid. The order is taken once, as row ids,
// when the query is set (an index on the order field keeps that quick);
// pages then read their rows by id and only a few stay in memory.
class TablePager
{
public:
    static constexpr int kPageSize = 200;

    explicit TablePager(Store &store, int cachedPages = 8);
    ~TablePager();
    TablePager(const TablePager &) = delete;
    TablePager &operator=(const TablePager &) = delete;

    void setQuery(const PagedQuery &query);
    void reload() { setQuery(m_query); }
    const PagedQuery &query() const { return m_query; }
    qint64 rowCount() const { return qint64(m_order.size()); }

    // The row at a position; null past the end. A row deleted since the
    // query was set comes back with empty fields.
    const TableRow *row(qint64 index);
    // The position of the first row whose order field is not below the
    // value (rowCount() when there is none).
    qint64 lowerBound(const QString &value);

private:
    const std::vector<TableRow> &page(qint64 number);
    std::vector<TableRow> readPage(qint64 first, qint64 count);
    QString whereWith(const QString &condition) const;

    Store &m_store;
    int m_cachedPages;
    PagedQuery m_query;
    std::vector<qint64> m_order;
    std::unique_ptr<SqliteStatement> m_byId;
    std::map<qint64, std::vector<TableRow>> m_pages;
    std::deque<qint64> m_recent; // page numbers, most recent last
};

} // namespace corvane
