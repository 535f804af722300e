#include "MessageSearch.h"

#include "AsciiCase.h"
#include "SqliteDb.h"
#include "Store.h"

#include <algorithm>

namespace corvane
{

namespace
{

// Enough trigrams to narrow the candidates well; the check on each candidate
// keeps the hits exact however many are left out.
constexpr int kMostTrigrams = 24;

const char *const kIndexCondition =
    "rowid IN (SELECT rowid FROM MessageSearch WHERE MessageSearch MATCH ?)";

// SQLite's lower() folds ASCII letters only, as the search does.
const char *const kCheck = "(instr(lower(mText), ?) > 0 OR instr(lower(mReg), ?) > 0 OR "
                           "instr(lower(mFlight), ?) > 0 OR instr(lower(mLabel), ?) > 0)";

} // namespace

bool MessageSearch::usesIndex() const
{
    return m_text.toUcs4().size() >= kIndexedLength;
}

QString MessageSearch::folded() const
{
    return AsciiCase::lower(m_text);
}

// Every trigram of the text as a quoted string, all required. The index
// keeps no positions, so the order is left to the check.
QString MessageSearch::matchExpression() const
{
    const QList<uint> points = m_text.toUcs4();
    QStringList terms;
    for (qsizetype i = 0; i + kIndexedLength <= points.size(); ++i) {
        const QString trigram = QString::fromUcs4(
            reinterpret_cast<const char32_t *>(points.constData()) + i, kIndexedLength);
        QString term = QLatin1Char('"') + QString(trigram).replace(u'"', QStringLiteral("\"\"")) +
                       QLatin1Char('"');
        if (!terms.contains(term))
            terms << term;
        if (terms.size() >= kMostTrigrams)
            break;
    }
    return terms.join(QStringLiteral(" AND "));
}

QString MessageSearch::condition() const
{
    if (isEmpty())
        return {};
    if (usesIndex())
        return QLatin1String(kIndexCondition) + QStringLiteral(" AND ") + QLatin1String(kCheck);
    return QLatin1String(kCheck);
}

QStringList MessageSearch::parameters() const
{
    if (isEmpty())
        return {};
    QStringList values;
    if (usesIndex())
        values << matchExpression();
    const QString text = folded();
    return values << text << text << text << text;
}

qint64 MessageSearch::candidates(Store &store) const
{
    SqliteStatement st(store.acarsLog(),
                       "SELECT count(*) FROM MessageSearch WHERE MessageSearch MATCH ?");
    st.bind(1, matchExpression());
    return st.step() ? st.int64(0) : 0;
}

// Reading the first hits takes either every candidate, sorted by time, or the
// messages newest first until enough candidates have passed. The second wins
// for a common text, where a few of the newest messages already hold enough;
// looking a message up by id costs some twenty steps through the time index.
bool MessageSearch::walksTimeOrder(Store &store, const MessageView &view, qint64 limit)
{
    const MessageSearch search(view.search());
    if (limit <= 0 || !search.usesIndex())
        return false;
    if (view.filter() != MessageView::Filter::All &&
        view.filter() != MessageView::Filter::DateRange)
        return false;
    SqliteStatement last(store.acarsLog(), "SELECT coalesce(max(rowid), 0) FROM tMessage");
    const qint64 messages = last.step() ? last.int64(0) : 0;
    const qint64 candidates = std::max<qint64>(1, search.candidates(store));
    constexpr qint64 kLookupSteps = 20;
    return double(limit) * double(messages) / double(candidates) <
           double(kLookupSteps) * double(candidates);
}

std::vector<MessageRow> MessageSearch::find(Store &store, const MessageView &view, qint64 limit)
{
    SqliteDb &db = store.acarsLog();
    const QString table = walksTimeOrder(store, view, limit)
                              ? QStringLiteral(" FROM tMessage INDEXED BY idxMessageTime")
                              : QStringLiteral(" FROM tMessage");
    // The hits are ordered by their ids and times alone; the rows follow.
    QString sql = QStringLiteral("SELECT rowid") + table + view.whereClause() +
                  QStringLiteral(" ORDER BY mTime DESC, rowid DESC");
    if (limit > 0)
        sql += QStringLiteral(" LIMIT ?");
    std::vector<qint64> ids;
    {
        SqliteStatement st(db, sql.toUtf8().constData());
        const QStringList values = view.parameters();
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values[i]);
        if (limit > 0)
            st.bind(int(values.size()) + 1, limit);
        while (st.step())
            ids.push_back(st.int64(0));
    }
    SqliteStatement byId(db, (QStringLiteral("SELECT ") + MessageView::selectList() +
                              QStringLiteral(" FROM tMessage WHERE rowid = ?"))
                                 .toUtf8()
                                 .constData());
    std::vector<MessageRow> rows;
    rows.reserve(ids.size());
    for (qint64 id : ids) {
        byId.bind(1, id);
        if (byId.step()) {
            MessageRow row;
            row.rowid = byId.int64(0);
            for (int c = 0; c < MessageView::ColumnCount; ++c)
                row.fields[size_t(c)] = byId.text(c + 1);
            rows.push_back(std::move(row));
        }
        byId.reset();
    }
    return rows;
}

} // namespace corvane
