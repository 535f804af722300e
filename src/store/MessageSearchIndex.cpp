#include "MessageSearchIndex.h"

#include "SqliteDb.h"

#include <algorithm>

namespace corvane
{

namespace
{

const char *const kIndexed = "rowid, mText, mReg, mFlight, mLabel";

// Rows indexed per statement while filling, so progress can be told.
constexpr qint64 kFillChunk = 50000;

QByteArray deleteFrom(const QByteArray &condition)
{
    return QByteArray("INSERT INTO MessageSearch (MessageSearch, ") + kIndexed +
           ") SELECT 'delete', " + kIndexed + " FROM tMessage WHERE " + condition;
}

qint64 single(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    return st.step() ? st.int64(0) : 0;
}

} // namespace

MessageSearchIndex::MessageSearchIndex(SqliteDb &db) : m_db(db) {}

MessageSearchIndex::~MessageSearchIndex() = default;

void MessageSearchIndex::fill(SqliteDb &db, const SchemaProgress &progress)
{
    const qint64 total = single(db, "SELECT count(*) FROM tMessage");
    if (total == 0)
        return;
    SqliteStatement bounds(db, "SELECT count(*), max(rowid) FROM (SELECT rowid FROM tMessage "
                               "WHERE rowid > ? ORDER BY rowid LIMIT ?)");
    SqliteStatement chunk(db, (QByteArray("INSERT INTO MessageSearch (") + kIndexed + ") SELECT " +
                               kIndexed + " FROM tMessage WHERE rowid > ? AND rowid <= ?")
                                  .constData());
    qint64 after = 0, done = 0;
    int told = -1;
    for (;;) {
        bounds.bind(1, after);
        bounds.bind(2, kFillChunk);
        const qint64 rows = bounds.step() ? bounds.int64(0) : 0;
        const qint64 last = rows > 0 ? bounds.int64(1) : after;
        bounds.reset();
        if (rows == 0)
            break;
        chunk.bind(1, after);
        chunk.bind(2, last);
        chunk.run();
        after = last;
        done += rows;
        const int percent = int(std::min<qint64>(100, done * 100 / total));
        if (progress && percent != told) {
            told = percent;
            progress(QStringLiteral("Building the search index: %1%").arg(percent));
        }
    }
}

void MessageSearchIndex::add(qint64 rowid, const QString &text, const QByteArray &reg,
                             const QByteArray &flight, const QString &label)
{
    // Values, not a read back from tMessage: an INSERT that selects from the
    // table costs the recorder three times as much.
    if (!m_add)
        m_add = std::make_unique<SqliteStatement>(m_db, (QByteArray("INSERT INTO MessageSearch (") +
                                                         kIndexed + ") VALUES (?, ?, ?, ?, ?)")
                                                            .constData());
    m_add->bind(1, rowid);
    m_add->bind(2, text);
    m_add->bind(3, reg);
    m_add->bind(4, flight);
    m_add->bind(5, label);
    m_add->run();
}

void MessageSearchIndex::forget(const std::vector<qint64> &rowids)
{
    if (!m_forget)
        m_forget = std::make_unique<SqliteStatement>(m_db, deleteFrom("rowid = ?").constData());
    for (qint64 rowid : rowids) {
        m_forget->bind(1, rowid);
        m_forget->run();
    }
}

void MessageSearchIndex::forgetWhere(const QByteArray &condition)
{
    m_db.exec(deleteFrom(condition).constData());
}

void MessageSearchIndex::forgetAll()
{
    m_db.exec("INSERT INTO MessageSearch (MessageSearch) VALUES ('delete-all')");
}

void MessageSearchIndex::rebuild(const SchemaProgress &progress)
{
    forgetAll();
    fill(m_db, progress);
}

} // namespace corvane
