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
class StoreStatement;

// What a paged grid shows of one table: its fields, an optional filter and
// the field it is ordered by. Built by BrowsingQueries.
struct PagedQuery {
    Schema::File file = Schema::File::AcarsLog;
    QString table;
    QStringList fields; // as SQL names, quoted where they need it
    QString where;      // a condition with "?" parameters, or empty
    QStringList parameters;
    QStringList order;       // fields, ascending; empty: the table's own order
    bool descending = false; // the exact reverse of the ascending order
    // Whether an index delivers the order. Without one the order is sorted
    // once, keeping only the row ids: right for a table of modest size whose
    // writes should not pay for an index.
    bool indexedOrder = true;
};

// One row of a paged table.
struct TableRow {
    qint64 rowid = 0;
    QStringList fields;
};

// Reads a table in pages for a grid, keeping only a few pages in memory. For
// an indexed order the rows are counted when the query is set; a page in the
// first half is read forwards, one in the second half backwards from the end.
// Any other order is sorted once into row ids, and pages read rows by id.
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
    qint64 rowCount() const { return m_count; }

    // The row at a position; null past the end. A row deleted since the
    // query was set comes back with empty fields.
    const TableRow *row(qint64 index);
    // The position of the first row whose first order field is not below
    // the value (rowCount() when there is none).
    qint64 lowerBound(const QString &value);

private:
    const std::vector<TableRow> &page(qint64 number);
    std::vector<TableRow> readPage(qint64 first, qint64 count);
    std::vector<TableRow> readPageById(qint64 first, qint64 count);
    void sortRowIds();
    std::vector<TableRow> readPageOfIds(qint64 first, qint64 count);
    QString whereWith(const QString &condition) const;
    QString orderClause(bool reverse) const;

    Store &m_store;
    int m_cachedPages;
    PagedQuery m_query;
    qint64 m_count = 0;
    std::unique_ptr<StoreStatement> m_forward;
    std::unique_ptr<StoreStatement> m_backward;
    std::vector<qint64> m_order; // row ids, for an order no index delivers
    std::unique_ptr<StoreStatement> m_byId;
    std::map<qint64, std::vector<TableRow>> m_pages;
    std::deque<qint64> m_recent; // page numbers, most recent last
};

} // namespace corvane
