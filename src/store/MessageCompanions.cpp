#include "MessageCompanions.h"

#include "MessageSearchIndex.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

namespace
{

// Kept in the message file, not in memory, so a crash between compacting and
// renumbering loses nothing. The row with OldId 0 holds the largest message
// rowid before compacting: if it is still the largest afterwards, the file
// was never compacted and nothing moves.
const char *const kCreateRenumbering =
    "CREATE TABLE CompanionRenumbering (OldId INTEGER PRIMARY KEY, NewId INTEGER, "
    "Stamp TEXT)";

} // namespace

qint64 MessageCompanions::count(const char *sql)
{
    SqliteStatement st(m_db, sql);
    return st.step() ? st.int64(0) : 0;
}

void MessageCompanions::forgetMessages(Store &store, const std::vector<qint64> &rowids)
{
    MessageCounts::ofRemoval(store, rowids).applyTo(store);
    if (!store.onServer())
        MessageSearchIndex(store.acarsLog()).forget(rowids);
    StoreStatement remove(store, Schema::File::AcarsLog,
                          "DELETE FROM FeedDetails WHERE MessageId = ?");
    for (qint64 rowid : rowids) {
        remove.bind(1, rowid);
        remove.run();
    }
}

void MessageCompanions::forgetAll()
{
    m_db.exec("DELETE FROM FeedDetails");
    MessageCounts::forgetAll(m_db);
    MessageSearchIndex(m_db).forgetAll();
}

void MessageCompanions::forgetMatching(const QByteArray &condition)
{
    MessageSearchIndex(m_db).forgetWhere(condition);
}

void MessageCompanions::forgetOrphans(const MessageCounts &removed)
{
    removed.applyTo(m_db);
    m_db.exec("DELETE FROM FeedDetails WHERE NOT EXISTS "
              "(SELECT 1 FROM tMessage WHERE tMessage.rowid = FeedDetails.MessageId)");
}

void MessageCompanions::forgetOrphansRecounting()
{
    forgetOrphans();
    MessageCounts::recount(m_db);
    MessageSearchIndex(m_db).rebuild();
}

void MessageCompanions::prepareRenumbering()
{
    finishRenumbering();
    SqliteTransaction tx(m_db);
    forgetOrphans();
    // Noted even without decoder details: the search index follows any renumbering too.
    m_db.exec(kCreateRenumbering);
    m_db.exec("INSERT INTO CompanionRenumbering (OldId, NewId) "
              "SELECT 0, coalesce(max(rowid), 0) FROM tMessage");
    // Compacting numbers the messages afresh in rowid order from 1. The stamp
    // lets the renumbering check that each row lands on its own message.
    m_db.exec("INSERT INTO CompanionRenumbering (OldId, NewId, Stamp) "
              "SELECT m.id, m.rank, m.stamp FROM (SELECT rowid AS id, "
              "row_number() OVER (ORDER BY rowid) AS rank, "
              "coalesce(mTime, '') || '|' || coalesce(mReg, '') || '|' || coalesce(mNo, '') "
              "AS stamp FROM tMessage) m "
              "JOIN FeedDetails f ON f.MessageId = m.id WHERE m.id <> m.rank");
    tx.commit();
}

void MessageCompanions::finishRenumbering()
{
    if (!m_db.tableExists(QStringLiteral("CompanionRenumbering")))
        return;
    SqliteTransaction tx(m_db);
    const qint64 largestBefore = count("SELECT NewId FROM CompanionRenumbering WHERE OldId = 0");
    const qint64 largestNow = count("SELECT coalesce(max(rowid), 0) FROM tMessage");
    if (largestNow != largestBefore) {
        m_db.exec("CREATE TEMP TABLE CompanionMoved AS SELECT r.NewId AS MessageId, f.Decoder, "
                  "f.Station, f.Frequency, f.SignalLevel FROM CompanionRenumbering r "
                  "JOIN FeedDetails f ON f.MessageId = r.OldId WHERE r.OldId > 0");
        m_db.exec("DELETE FROM FeedDetails WHERE MessageId IN "
                  "(SELECT OldId FROM CompanionRenumbering WHERE OldId > 0)");
        // A row whose message is not where the renumbering expects it is
        // dropped rather than tied to another message.
        m_db.exec("INSERT INTO FeedDetails (MessageId, Decoder, Station, Frequency, SignalLevel) "
                  "SELECT c.MessageId, c.Decoder, c.Station, c.Frequency, c.SignalLevel "
                  "FROM temp.CompanionMoved c JOIN CompanionRenumbering r ON r.NewId = c.MessageId "
                  "AND r.OldId > 0 JOIN tMessage m ON m.rowid = c.MessageId "
                  "WHERE coalesce(m.mTime, '') || '|' || coalesce(m.mReg, '') || '|' || "
                  "coalesce(m.mNo, '') = r.Stamp");
        m_db.exec("DROP TABLE temp.CompanionMoved");
        MessageSearchIndex(m_db).rebuild();
    }
    m_db.exec("DROP TABLE CompanionRenumbering");
    tx.commit();
}

} // namespace corvane
