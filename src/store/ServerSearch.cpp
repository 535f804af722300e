#include "ServerSearch.h"

#include "MessageSearch.h"
#include "PgArray.h"
#include "PgConnection.h"
#include "PgTableSql.h"
#include "StoreStatement.h"

#include <QHash>

namespace corvane
{

namespace
{

// The candidates through the index, then the check column by column.
const QString kCondition = QLatin1String(PgTableSql::kSearchedText) +
                           QStringLiteral(" ILIKE ? "
                                          "AND (strpos(lower(mText COLLATE \"C\"), ?) > 0 "
                                          "OR strpos(lower(mReg::text COLLATE \"C\"), ?) > 0 "
                                          "OR strpos(lower(mFlight::text COLLATE \"C\"), ?) > 0 "
                                          "OR strpos(lower(mLabel COLLATE \"C\"), ?) > 0)");

} // namespace

QString ServerSearch::condition(const QString &text)
{
    return text.isEmpty() ? QString() : kCondition;
}

QStringList ServerSearch::parameters(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QString folded = MessageSearch(text).folded();
    return {pattern(text), folded, folded, folded, folded};
}

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
    QByteArray sql =
        "SELECT rowid FROM tMessage" +
        StoreStatement::numberedMarkers(view.whereClause(SqlDialect::Postgres).toUtf8()) +
        " ORDER BY mTime DESC, rowid DESC";
    PgConnection::Params params;
    for (const QString &value : view.parameters(SqlDialect::Postgres))
        params.push_back(value.toUtf8());
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
