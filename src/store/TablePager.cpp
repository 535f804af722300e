#include "TablePager.h"

#include "SqliteDb.h"
#include "Store.h"

#include <algorithm>

namespace corvane
{

TablePager::TablePager(Store &store, int cachedPages)
    : m_store(store), m_cachedPages(std::max(2, cachedPages))
{
}

TablePager::~TablePager() = default;

QString TablePager::whereWith(const QString &condition) const
{
    QStringList parts;
    if (!m_query.where.isEmpty())
        parts << QLatin1Char('(') + m_query.where + QLatin1Char(')');
    if (!condition.isEmpty())
        parts << condition;
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(" AND ");
}

void TablePager::setQuery(const PagedQuery &query)
{
    m_query = query;
    m_pages.clear();
    m_recent.clear();
    m_order.clear();
    m_byId.reset();

    SqliteDb &db = m_store.db(query.file);
    // Equal keys keep the table's own order, so pages are stable.
    const QString order = query.orderField.isEmpty()
                              ? QStringLiteral(" ORDER BY rowid")
                              : QStringLiteral(" ORDER BY ") + query.orderField + ", rowid";
    const QByteArray ids =
        (QStringLiteral("SELECT rowid FROM ") + query.table + whereWith({}) + order).toUtf8();
    SqliteStatement st(db, ids.constData());
    for (int i = 0; i < query.parameters.size(); ++i)
        st.bind(i + 1, query.parameters[i]);
    while (st.step())
        m_order.push_back(st.int64(0));
    m_order.shrink_to_fit();

    const QByteArray byId =
        (QStringLiteral("SELECT ") + query.fields.join(", ") + QStringLiteral(" FROM ") +
         query.table + QStringLiteral(" WHERE rowid = ?"))
            .toUtf8();
    m_byId = std::make_unique<SqliteStatement>(db, byId.constData());
}

const TableRow *TablePager::row(qint64 index)
{
    if (index < 0 || index >= rowCount())
        return nullptr;
    const std::vector<TableRow> &rows = page(index / kPageSize);
    return &rows[size_t(index % kPageSize)];
}

qint64 TablePager::lowerBound(const QString &value)
{
    if (m_query.orderField.isEmpty())
        return 0;
    const QByteArray sql = (QStringLiteral("SELECT COUNT(*) FROM ") + m_query.table +
                            whereWith(m_query.orderField + QStringLiteral(" < ?")))
                               .toUtf8();
    SqliteStatement st(m_store.db(m_query.file), sql.constData());
    int at = 1;
    for (const QString &p : m_query.parameters)
        st.bind(at++, p);
    st.bind(at, value);
    return st.step() ? std::min(st.int64(0), rowCount()) : rowCount();
}

const std::vector<TableRow> &TablePager::page(qint64 number)
{
    auto found = m_pages.find(number);
    if (found != m_pages.end()) {
        m_recent.erase(std::find(m_recent.begin(), m_recent.end(), number));
        m_recent.push_back(number);
        return found->second;
    }
    if (qint64(m_pages.size()) >= m_cachedPages) {
        m_pages.erase(m_recent.front());
        m_recent.pop_front();
    }
    const qint64 first = number * kPageSize;
    const qint64 count = std::min<qint64>(kPageSize, rowCount() - first);
    m_recent.push_back(number);
    return m_pages.emplace(number, readPage(first, count)).first->second;
}

std::vector<TableRow> TablePager::readPage(qint64 first, qint64 count)
{
    std::vector<TableRow> rows;
    rows.reserve(size_t(count));
    const int columns = int(m_query.fields.size());
    for (qint64 i = first; i < first + count; ++i) {
        TableRow row{m_order[size_t(i)], {}};
        m_byId->bind(1, row.rowid);
        if (m_byId->step())
            for (int c = 0; c < columns; ++c)
                row.fields << m_byId->text(c);
        else
            row.fields = QStringList(QList<QString>(columns)); // deleted since
        m_byId->reset();
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace corvane
