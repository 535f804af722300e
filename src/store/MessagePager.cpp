#include "MessagePager.h"

#include "PgConnection.h"
#include "ServerSearch.h"
#include "Store.h"
#include "StoreError.h"
#include "StoreStatement.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace corvane
{

MessagePager::MessagePager(Store &store, int cachedPages)
    : m_store(store), m_cachedPages(std::max(2, cachedPages))
{
}

MessagePager::~MessagePager() = default;

void MessagePager::setView(const MessageView &view)
{
    adopt(compute(m_store, view));
}

ComputedView MessagePager::compute(Store &store, const MessageView &view)
{
    ComputedView computed;
    computed.view = view;
    const bool byTime =
        view.search().isEmpty() && (view.filter() == MessageView::Filter::All ||
                                    view.filter() == MessageView::Filter::DateRange);
    if (store.onServer() && byTime) {
        // A server writes its kept hourly counts in the transaction of the
        // messages they count: their sum is the count at once, where
        // counting ten million rows takes a second.
        std::vector<ComputedView::HourMark> marks = keptHours(store, view, computed.count);
        if (view.sortColumn() == MessageView::Time && computed.count > 0)
            computed.hours = std::move(marks);
    } else {
        computed.count = view.count(store);
        if (view.hasIndexedOrder())
            computed.hours = hourMarks(store, view, computed.count);
    }
    if (view.hasIndexedOrder())
        return computed;

    computed.byIds = true;
    // Rows stored between the count and the sort only make the list grow.
    computed.ids.reserve(computed.count);
    readIds(store, view, computed.ids);
    computed.ids.trim();
    computed.count = computed.ids.size();
    return computed;
}

void MessagePager::readIds(Store &store, const MessageView &view, RowIdList &ids)
{
    const SqlDialect dialect = store.dialect();
    const QByteArray sql = (QStringLiteral("SELECT rowid FROM tMessage") +
                            view.whereClause(dialect) + view.orderClause(false, dialect))
                               .toUtf8();
    const QStringList values = view.parameters(dialect);
    if (!store.onServer()) {
        StoreStatement st(store, Schema::File::AcarsLog, sql);
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values[i]);
        while (st.step())
            ids.append(st.int64(0));
        return;
    }
    // A row at a time: the whole answer at once would hold ten million ids
    // as text in the client's memory (a cursor would, but it keeps the
    // server from sorting on several cores). Sorted in the server's memory
    // where it has room.
    PgConnection &db = store.server();
    std::optional<PgTransaction> own;
    if (!db.inTransaction())
        own.emplace(db);
    db.exec("SET LOCAL work_mem = '256MB'");
    db.exec("SET LOCAL jit = off");
    PgConnection::Params params;
    for (const QString &value : values)
        params.push_back(value.toUtf8());
    db.eachRow(
        StoreStatement::numberedMarkers(sql),
        [&ids](const PgResult &row) {
            ids.append(row.int64(0, 0));
            return true;
        },
        params);
    if (own)
        own->commit();
}

std::vector<ComputedView::HourMark> MessagePager::keptHours(Store &store, const MessageView &view,
                                                            qint64 &total)
{
    // A day range starts and ends at midnight, so on hour boundaries.
    std::vector<ComputedView::HourMark> marks;
    const QStringList range = view.filterParameters();
    StoreStatement st(store, Schema::File::AcarsLog,
                      "SELECT Hour, Messages FROM MessagesByHour "
                      "WHERE Hour >= ?1 AND (CAST(?2 AS TEXT) IS NULL OR Hour < ?2) "
                      "ORDER BY Hour");
    st.bind(1, range.isEmpty() ? QString(QLatin1String("")) : range[0].left(13));
    if (range.size() > 1)
        st.bind(2, range[1].left(13));
    total = 0;
    while (st.step()) {
        marks.push_back({st.text(0).toUtf8(), total});
        total += st.int64(1);
    }
    return marks;
}

std::vector<ComputedView::HourMark> MessagePager::hourMarks(Store &store, const MessageView &view,
                                                            qint64 count)
{
    const bool timeOrder = view.sortColumn() == MessageView::Time;
    const bool byTime = view.filter() == MessageView::Filter::All ||
                        view.filter() == MessageView::Filter::DateRange;
    if (!timeOrder || !byTime || count == 0)
        return {};
    qint64 total = 0;
    std::vector<ComputedView::HourMark> marks = keptHours(store, view, total);
    // Counts that do not match the messages (rows written by other means)
    // leave the view to the slower stepping, which is always right.
    if (total != count)
        marks.clear();
    return marks;
}

void MessagePager::adopt(ComputedView &&computed)
{
    // The statements first: should one fail, the view shown stays as it was.
    const QString from =
        QStringLiteral("SELECT ") + MessageView::selectList() + QStringLiteral(" FROM tMessage");
    const auto file = Schema::File::AcarsLog;
    std::unique_ptr<StoreStatement> forward, backward, byId, seek;
    if (computed.byIds) {
        const QByteArray sql = (from + QStringLiteral(" WHERE rowid = ?")).toUtf8();
        byId = std::make_unique<StoreStatement>(m_store, file, sql);
    } else {
        const MessageView &v = computed.view;
        const QString where = v.whereClause(m_store.dialect());
        const QString paging = QStringLiteral(" LIMIT ? OFFSET ?");
        const QByteArray ahead = (from + where + v.orderClause(false) + paging).toUtf8();
        const QByteArray back = (from + where + v.orderClause(true) + paging).toUtf8();
        forward = std::make_unique<StoreStatement>(m_store, file, ahead);
        backward = std::make_unique<StoreStatement>(m_store, file, back);
        if (!computed.hours.empty()) {
            const QByteArray sql =
                (from + where +
                 (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) +
                 QStringLiteral("mTime >= ?") + v.orderClause(v.descending()) + paging)
                    .toUtf8();
            seek = std::make_unique<StoreStatement>(m_store, file, sql);
        }
    }

    m_view = computed.view;
    m_pages.clear();
    m_recent.clear();
    m_order = std::move(computed.ids);
    m_count = computed.byIds ? m_order.size() : computed.count;
    m_forward = std::move(forward);
    m_backward = std::move(backward);
    m_byId = std::move(byId);
    m_seek = std::move(seek);
    m_hours = std::move(computed.hours);
}

const MessageRow *MessagePager::row(qint64 index)
{
    if (index < 0 || index >= m_count)
        return nullptr;
    try {
        const std::vector<MessageRow> &rows = page(index / kPageSize);
        const qint64 at = index % kPageSize;
        return at < qint64(rows.size()) ? &rows[size_t(at)] : nullptr;
    } catch (const StoreError &) {
        // A server out of reach: the grid shows the row empty meanwhile.
        return nullptr;
    }
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
    // Read before it is counted as cached: a page that fails is read again.
    std::vector<MessageRow> rows = readPage(first, count);
    m_recent.push_back(number);
    return m_pages.emplace(number, std::move(rows)).first->second;
}

MessageRow MessagePager::readRow(StoreStatement &st)
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

    if (m_byId && m_store.onServer())
        return pageOfIds(first, count);
    if (m_byId) {
        for (qint64 i = first; i < first + count; ++i) {
            const qint64 id = m_order.at(i);
            m_byId->bind(1, id);
            if (m_byId->step())
                rows.push_back(readRow(*m_byId));
            else
                rows.push_back(MessageRow{id, {}}); // deleted since
            m_byId->reset();
        }
        return rows;
    }

    if (m_seek)
        return seekPage(first, count);

    // Whichever end of the view is nearer is the one to count from.
    const bool backward = first > m_count - (first + count);
    StoreStatement &st = backward ? *m_backward : *m_forward;
    const QStringList values = m_view.parameters(m_store.dialect());
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

std::vector<MessageRow> MessagePager::seekPage(qint64 first, qint64 count)
{
    // The same rows in ascending time: from the hour that holds the first.
    const bool descending = m_view.descending();
    const qint64 from = descending ? m_count - (first + count) : first;
    auto mark = std::upper_bound(
        m_hours.begin(), m_hours.end(), from,
        [](qint64 position, const ComputedView::HourMark &m) { return position < m.before; });
    if (mark != m_hours.begin())
        --mark;
    const QStringList values = m_view.parameters(m_store.dialect());
    int at = 1;
    for (const QString &v : values)
        m_seek->bind(at++, v);
    m_seek->bind(at++, QString::fromLatin1(mark->hour));
    m_seek->bind(at++, count);
    m_seek->bind(at, from - mark->before);
    std::vector<MessageRow> rows;
    rows.reserve(size_t(count));
    while (m_seek->step())
        rows.push_back(readRow(*m_seek));
    m_seek->reset();
    if (descending)
        std::reverse(rows.begin(), rows.end());
    rows.resize(size_t(count));
    return rows;
}

std::vector<MessageRow> MessagePager::pageOfIds(qint64 first, qint64 count)
{
    // A page of a server store in one round trip, not one per row.
    std::vector<qint64> ids;
    ids.reserve(size_t(count));
    for (qint64 i = first; i < first + count; ++i)
        ids.push_back(m_order.at(i));
    std::vector<MessageRow> found = ServerSearch::rows(m_store.server(), ids);
    QHash<qint64, size_t> at;
    for (size_t i = 0; i < found.size(); ++i)
        at.insert(found[i].rowid, i);
    std::vector<MessageRow> rows;
    rows.reserve(ids.size());
    for (const qint64 id : ids) {
        const auto i = at.constFind(id);
        rows.push_back(i == at.cend() ? MessageRow{id, {}} : std::move(found[*i]));
    }
    return rows;
}

} // namespace corvane
