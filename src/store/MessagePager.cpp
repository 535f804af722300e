#include "MessagePager.h"

#include "SqliteDb.h"
#include "Store.h"

#include <algorithm>

namespace corvane
{

MessagePager::MessagePager(Store &store, int cachedPages)
    : m_store(store), m_db(store.acarsLog()), m_cachedPages(std::max(2, cachedPages))
{
}

MessagePager::~MessagePager() = default;

void MessagePager::setView(const MessageView &view)
{
    m_view = view;
    m_pages.clear();
    m_recent.clear();
    m_order.clear();
    m_order.shrink_to_fit();
    m_forward.reset();
    m_backward.reset();
    m_byId.reset();

    const QString from =
        QStringLiteral("SELECT ") + MessageView::selectList() + QStringLiteral(" FROM tMessage");
    if (view.hasIndexedOrder()) {
        m_count = view.count(m_store);
        const QString paging = QStringLiteral(" LIMIT ? OFFSET ?");
        const QByteArray forward =
            (from + view.whereClause() + view.orderClause(false) + paging).toUtf8();
        const QByteArray backward =
            (from + view.whereClause() + view.orderClause(true) + paging).toUtf8();
        m_forward = std::make_unique<SqliteStatement>(m_db, forward.constData());
        m_backward = std::make_unique<SqliteStatement>(m_db, backward.constData());
        return;
    }

    const QByteArray ids =
        (QStringLiteral("SELECT rowid FROM tMessage") + view.whereClause() + view.orderClause())
            .toUtf8();
    SqliteStatement st(m_db, ids.constData());
    const QStringList values = view.parameters();
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    while (st.step())
        m_order.push_back(st.int64(0));
    m_order.shrink_to_fit();
    m_count = qint64(m_order.size());
    const QByteArray byId = (from + QStringLiteral(" WHERE rowid = ?")).toUtf8();
    m_byId = std::make_unique<SqliteStatement>(m_db, byId.constData());
}

const MessageRow *MessagePager::row(qint64 index)
{
    if (index < 0 || index >= m_count)
        return nullptr;
    const std::vector<MessageRow> &rows = page(index / kPageSize);
    const qint64 at = index % kPageSize;
    return at < qint64(rows.size()) ? &rows[size_t(at)] : nullptr;
}

const std::vector<MessageRow> &MessagePager::page(qint64 number)
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
    const qint64 count = std::min<qint64>(kPageSize, m_count - first);
    m_recent.push_back(number);
    return m_pages.emplace(number, readPage(first, count)).first->second;
}

MessageRow MessagePager::readRow(SqliteStatement &st)
{
    MessageRow row;
    row.rowid = st.int64(0);
    for (int c = 0; c < MessageView::ColumnCount; ++c)
        row.fields[size_t(c)] = st.text(c + 1);
    return row;
}

std::vector<MessageRow> MessagePager::readPage(qint64 first, qint64 count)
{
    std::vector<MessageRow> rows;
    if (count <= 0)
        return rows;
    rows.reserve(size_t(count));

    if (m_byId) {
        for (qint64 i = first; i < first + count; ++i) {
            m_byId->bind(1, m_order[size_t(i)]);
            if (m_byId->step())
                rows.push_back(readRow(*m_byId));
            else
                rows.push_back(MessageRow{m_order[size_t(i)], {}}); // deleted since
            m_byId->reset();
        }
        return rows;
    }

    // Whichever end of the view is nearer is the one to count from.
    const bool backward = first > m_count - (first + count);
    SqliteStatement &st = backward ? *m_backward : *m_forward;
    const QStringList values = m_view.parameters();
    int at = 1;
    for (const QString &v : values)
        st.bind(at++, v);
    st.bind(at++, count);
    st.bind(at, backward ? m_count - (first + count) : first);
    while (st.step())
        rows.push_back(readRow(st));
    st.reset();
    if (backward)
        std::reverse(rows.begin(), rows.end());
    // Rows stored or deleted since the count leave the page short or long;
    // it is filled on the next reload.
    rows.resize(size_t(count));
    return rows;
}

} // namespace corvane
