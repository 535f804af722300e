#include "MessageView.h"

#include "DayRange.h"
#include "MessageSearch.h"
#include "ServerSearch.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

const std::array<MessageColumn, MessageView::ColumnCount> &MessageView::columns()
{
    static const std::array<MessageColumn, ColumnCount> kColumns = {{
        {"Date/Time", "mTime"},
        {"Mode", "mMode"},
        {"Registration", "mReg"},
        {"Block ID", "mBlk"},
        {"Msg No", "mNo"},
        {"Flight No", "mFlight"},
        {"Message Text", "mText"},
        {"Msg Labe", "mLabel"},
        {"Log Filename", "mFileName"},
    }};
    return kColumns;
}

QString MessageView::selectList()
{
    QString list = QStringLiteral("rowid");
    for (const MessageColumn &c : columns())
        list += QStringLiteral(", ") + QLatin1String(c.field);
    return list;
}

MessageView MessageView::byFlight(const QString &flight)
{
    MessageView v;
    v.m_filter = Filter::Flight;
    v.m_value = flight;
    return v;
}

MessageView MessageView::byRegistration(const QString &reg)
{
    MessageView v;
    v.m_filter = Filter::Registration;
    v.m_value = reg;
    return v;
}

MessageView MessageView::byDate(const QDate &from, const QDate &to)
{
    MessageView v;
    v.m_filter = Filter::DateRange;
    v.m_from = from;
    v.m_to = to;
    return v;
}

MessageView MessageView::sortedBy(int column, bool descending)
{
    MessageView v;
    v.m_descending = descending;
    if (column >= 0 && column < ColumnCount)
        v.m_sortColumn = column;
    return v;
}

MessageView MessageView::withSearch(const QString &text) const
{
    MessageView v = *this;
    v.m_search = text;
    v.m_sortColumn = Time;
    v.m_descending = !text.isEmpty();
    return v;
}

MessageView MessageView::withOrder(int column, bool descending) const
{
    MessageView v = *this;
    v.m_descending = descending;
    if (column >= 0 && column < ColumnCount)
        v.m_sortColumn = column;
    return v;
}

bool MessageView::hasIndexedOrder() const
{
    // Hits are few enough to sort once; paging them by offset would search again for every page.
    if (!m_search.isEmpty())
        return false;
    return m_sortColumn == Time || m_sortColumn == Reg || m_sortColumn == Flight;
}

QString MessageView::whereClause(SqlDialect dialect) const
{
    const QString filter = filterCondition();
    const QString search = dialect == SqlDialect::Postgres ? ServerSearch::condition(m_search)
                                                           : MessageSearch(m_search).condition();
    if (filter.isEmpty() && search.isEmpty())
        return {};
    if (search.isEmpty())
        return QStringLiteral(" WHERE ") + filter;
    if (filter.isEmpty())
        return QStringLiteral(" WHERE ") + search;
    return QStringLiteral(" WHERE ") + filter + QStringLiteral(" AND ") + search;
}

QString MessageView::filterCondition() const
{
    switch (m_filter) {
    case Filter::Flight:
        return QStringLiteral("mFlight = ?");
    case Filter::Registration:
        return QStringLiteral("mReg = ?");
    case Filter::DateRange:
        return QStringLiteral("mTime >= ? AND mTime < ?");
    case Filter::All:
        break;
    }
    return {};
}

QStringList MessageView::parameters(SqlDialect dialect) const
{
    return filterParameters() + (dialect == SqlDialect::Postgres
                                     ? ServerSearch::parameters(m_search)
                                     : MessageSearch(m_search).parameters());
}

QStringList MessageView::filterParameters() const
{
    switch (m_filter) {
    case Filter::Flight:
    case Filter::Registration:
        return {m_value};
    case Filter::DateRange: {
        // A date that is not valid yet (nothing confirmed) stands for the
        // zero date, 30 December 1899: the range then holds nothing.
        const QDate zero(1899, 12, 30);
        const QDate from = m_from.isValid() ? m_from : zero;
        const QDate to = m_to.isValid() ? m_to : zero;
        const DayRange days(from, to);
        return {days.startText(), days.endText()};
    }
    case Filter::All:
        break;
    }
    return {};
}

QString MessageView::orderClause(bool reverse, SqlDialect dialect) const
{
    const QString dir = reverse != m_descending ? QStringLiteral(" DESC") : QString();
    QString field = QLatin1String(columns()[m_sortColumn].field);
    if (dialect == SqlDialect::Postgres && m_sortColumn != Time && m_sortColumn != Reg &&
        m_sortColumn != Flight)
        field += QStringLiteral(" COLLATE \"C\"");
    QString order = QStringLiteral(" ORDER BY ") + field + dir;
    // The registration and flight indexes carry the time after the key.
    if (m_sortColumn == Reg || m_sortColumn == Flight)
        order += QStringLiteral(", mTime") + dir;
    return order + QStringLiteral(", rowid") + dir;
}

QString MessageView::selectSql() const
{
    return QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM tMessage") +
           whereClause() + orderClause();
}

qint64 MessageView::count(Store &store) const
{
    const SqlDialect dialect = store.dialect();
    StoreStatement st(
        store, Schema::File::AcarsLog,
        (QStringLiteral("SELECT count(*) FROM tMessage") + whereClause(dialect)).toUtf8());
    const QStringList values = parameters(dialect);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    return st.step() ? st.int64(0) : 0;
}

bool MessageView::operator==(const MessageView &o) const
{
    return m_filter == o.m_filter && m_value == o.m_value && m_from == o.m_from && m_to == o.m_to &&
           m_search == o.m_search && m_sortColumn == o.m_sortColumn &&
           m_descending == o.m_descending;
}

} // namespace corvane
