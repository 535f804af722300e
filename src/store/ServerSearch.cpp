#include "ServerSearch.h"

#include "MessageSearch.h"
#include "PgArray.h"
#include "PgConnection.h"

#include <QHash>

namespace corvane
{

namespace
{

// The candidates through the index, then the check column by column.
const QByteArray kFind = QByteArray("SELECT rowid FROM tMessage WHERE ") +
                         ServerSearch::kSearchedText +
                         " ILIKE $1 "
                         "AND (strpos(lower(mText COLLATE \"C\"), $2) > 0 "
                         "OR strpos(lower(mReg::text COLLATE \"C\"), $2) > 0 "
                         "OR strpos(lower(mFlight::text COLLATE \"C\"), $2) > 0 "
                         "OR strpos(lower(mLabel COLLATE \"C\"), $2) > 0)";

} // namespace

QString ServerSearch::pattern(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    return u'%' + escaped + u'%';
}

std::vector<MessageRow> ServerSearch::rows(PgConnection &db, const std::vector<qint64> &rowids)
{
    PgArray ids;
    for (const qint64 id : rowids)
        ids.add(id);
    const PgResult found = db.query("SELECT " + MessageView::selectList().toLatin1() +
                                        " FROM tMessage WHERE rowid = ANY($1::bigint[])",
                                    {ids.text()});
    QHash<qint64, int> at;
    for (int i = 0; i < found.rows(); ++i)
        at.insert(found.int64(i, 0), i);
    std::vector<MessageRow> rows;
    rows.reserve(rowids.size());
    for (const qint64 id : rowids) {
        const auto i = at.constFind(id);
        if (i == at.cend())
            continue; // deleted meanwhile
        MessageRow row;
        row.rowid = id;
        for (int c = 0; c < MessageView::ColumnCount; ++c)
            row.fields[size_t(c)] = QString::fromUtf8(found.value(*i, c + 1));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<qint64> ServerSearch::find(PgConnection &db, const QString &text, qint64 limit)
{
    return find(db, MessageView::all().withSearch(text), limit);
}

std::vector<qint64> ServerSearch::find(PgConnection &db, const MessageView &view, qint64 limit)
{
    const QString &text = view.search();
    QByteArray sql = kFind;
    PgConnection::Params params = {pattern(text).toUtf8(), MessageSearch(text).folded().toUtf8()};
    // The filter's own markers, numbered on from the search's two.
    const QString condition = view.filterCondition();
    if (!condition.isEmpty()) {
        const QStringList values = view.filterParameters();
        qsizetype next = 0;
        sql += " AND ";
        for (const QChar c : condition) {
            if (c != u'?') {
                sql += c.toLatin1();
                continue;
            }
            params.push_back(values[next++].toUtf8());
            sql += '$' + QByteArray::number(params.size());
        }
    }
    sql += " ORDER BY mTime DESC, rowid DESC";
    if (limit > 0) {
        sql += " LIMIT $" + QByteArray::number(params.size() + 1);
        params.push_back(QByteArray::number(limit));
    }
    // Parallel workers cost more to start than the first hits take to find.
    PgTransaction transaction(db);
    db.exec("SET LOCAL max_parallel_workers_per_gather = 0");
    const PgResult hits = db.query(sql, params);
    transaction.commit();
    std::vector<qint64> rowids(size_t(hits.rows()));
    for (int i = 0; i < hits.rows(); ++i)
        rowids[size_t(i)] = hits.int64(i, 0);
    return rowids;
}

} // namespace corvane
