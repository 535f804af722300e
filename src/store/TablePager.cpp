#include "TablePager.h"

#include "Store.h"
#include "StoreError.h"
#include "StoreStatement.h"

#include <QHash>
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

QString TablePager::orderClause(bool reverse) const
{
    // Equal keys keep the table's own order, so pages are stable.
    QStringList fields = m_query.order;
    fields << QStringLiteral("rowid");
    if (reverse != m_query.descending)
        for (QString &field : fields)
            field += QStringLiteral(" DESC");
    return QStringLiteral(" ORDER BY ") + fields.join(", ");
}

void TablePager::setQuery(const PagedQuery &query)
{
    // A query that fails leaves an empty list, never statements of the old one.
    m_query = query;
    m_count = 0;
    m_pages.clear();
    m_recent.clear();
    m_forward.reset();
    m_backward.reset();
    m_order.clear();
    m_order.shrink_to_fit();
    m_byId.reset();

    const Schema::File file = query.file;
    if (!query.indexedOrder) {
        sortRowIds();
        return;
    }
    const QString select = QStringLiteral("SELECT rowid, ") + query.fields.join(", ") +
                           QStringLiteral(" FROM ") + query.table + whereWith({});
    const QString paging = QStringLiteral(" LIMIT ? OFFSET ?");
    auto forward = std::make_unique<StoreStatement>(
        m_store, file, (select + orderClause(false) + paging).toUtf8());
    auto backward = std::make_unique<StoreStatement>(
        m_store, file, (select + orderClause(true) + paging).toUtf8());

    const QByteArray counting =
        (QStringLiteral("SELECT COUNT(*) FROM ") + query.table + whereWith({})).toUtf8();
    StoreStatement count(m_store, file, counting);
    for (int i = 0; i < query.parameters.size(); ++i)
        count.bind(i + 1, query.parameters[i]);
    const qint64 rows = count.step() ? count.int64(0) : 0;

    m_forward = std::move(forward);
    m_backward = std::move(backward);
    m_count = rows;
}

void TablePager::sortRowIds()
{
    // A server reads a page of ids in one round trip, the files one id at a time.
    const QString one = m_store.onServer() ? QStringLiteral(" WHERE rowid = ANY(?::bigint[])")
                                           : QStringLiteral(" WHERE rowid = ?");
    const QByteArray byId = (QStringLiteral("SELECT rowid, ") + m_query.fields.join(", ") +
                             QStringLiteral(" FROM ") + m_query.table + one)
                                .toUtf8();
    auto reader = std::make_unique<StoreStatement>(m_store, m_query.file, byId);
    const QByteArray ids =
        (QStringLiteral("SELECT rowid FROM ") + m_query.table + whereWith({}) + orderClause(false))
            .toUtf8();
    StoreStatement st(m_store, m_query.file, ids);
    for (int i = 0; i < m_query.parameters.size(); ++i)
        st.bind(i + 1, m_query.parameters[i]);
    std::vector<qint64> order;
    while (st.step())
        order.push_back(st.int64(0));
    m_order = std::move(order);
    m_byId = std::move(reader);
    m_count = qint64(m_order.size());
}

const TableRow *TablePager::row(qint64 index)
{
    if (index < 0 || index >= rowCount())
        return nullptr;
    try {
        const std::vector<TableRow> &rows = page(index / kPageSize);
        return &rows[size_t(index % kPageSize)];
    } catch (const StoreError &) {
        // A server out of reach: the grid shows the row empty meanwhile.
        return nullptr;
    }
}

qint64 TablePager::lowerBound(const QString &value)
{
    if (m_query.order.isEmpty())
        return 0;
    const QByteArray sql =
        (QStringLiteral("SELECT COUNT(*) FROM ") + m_query.table +
         whereWith(m_query.order.first() +
                   (m_query.descending ? QStringLiteral(" > ?") : QStringLiteral(" < ?"))))
            .toUtf8();
    StoreStatement st(m_store, m_query.file, sql);
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
    // Read before it is counted as cached: a page that fails is read again.
    std::vector<TableRow> rows = readPage(first, count);
    m_recent.push_back(number);
    return m_pages.emplace(number, std::move(rows)).first->second;
}

std::vector<TableRow> TablePager::readPageById(qint64 first, qint64 count)
{
    if (m_store.onServer())
        return readPageOfIds(first, count);
    std::vector<TableRow> rows;
    rows.reserve(size_t(count));
    const int columns = int(m_query.fields.size());
    for (qint64 i = first; i < first + count; ++i) {
        m_byId->bind(1, m_order[size_t(i)]);
        TableRow row{m_order[size_t(i)], {}};
        if (m_byId->step())
            for (int c = 0; c < columns; ++c)
                row.fields << m_byId->text(c + 1);
        else
            row.fields = QStringList(QList<QString>(columns)); // deleted since
        m_byId->reset();
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TableRow> TablePager::readPageOfIds(qint64 first, qint64 count)
{
    QString ids = QStringLiteral("{");
    for (qint64 i = first; i < first + count; ++i)
        ids += (i > first ? QStringLiteral(",") : QString()) + QString::number(m_order[size_t(i)]);
    m_byId->bind(1, ids + QLatin1Char('}'));
    const int columns = int(m_query.fields.size());
    QHash<qint64, QStringList> found;
    while (m_byId->step()) {
        QStringList fields;
        for (int c = 0; c < columns; ++c)
            fields << m_byId->text(c + 1);
        found.insert(m_byId->int64(0), fields);
    }
    m_byId->reset();
    std::vector<TableRow> rows;
    rows.reserve(size_t(count));
    for (qint64 i = first; i < first + count; ++i) {
        const qint64 id = m_order[size_t(i)];
        // Deleted since: an empty row keeps the positions.
        rows.push_back({id, found.value(id, QStringList(QList<QString>(columns)))});
    }
    return rows;
}

std::vector<TableRow> TablePager::readPage(qint64 first, qint64 count)
{
    if (m_byId)
        return readPageById(first, count);
    std::vector<TableRow> rows;
    rows.reserve(size_t(count));
    // Whichever end of the table is nearer is the one to count from.
    const bool backward = first > m_count - (first + count);
    StoreStatement &st = backward ? *m_backward : *m_forward;
    int at = 1;
    for (const QString &p : m_query.parameters)
        st.bind(at++, p);
    st.bind(at++, count);
    st.bind(at, backward ? m_count - (first + count) : first);
    const int columns = int(m_query.fields.size());
    while (st.step()) {
        TableRow row{st.int64(0), {}};
        for (int c = 0; c < columns; ++c)
            row.fields << st.text(c + 1);
        rows.push_back(std::move(row));
    }
    st.reset();
    if (backward)
        std::reverse(rows.begin(), rows.end());
    // Rows stored or deleted since the count leave the page short or long;
    // it is right again on the next reload.
    rows.resize(size_t(count), TableRow{0, QStringList(QList<QString>(columns))});
    return rows;
}

} // namespace corvane
