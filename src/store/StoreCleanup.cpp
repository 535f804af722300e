#include "StoreCleanup.h"

#include "AsciiCase.h"
#include "MessageCompanions.h"
#include "MessageView.h"
#include "NamedCommands.h"
#include "SchemaDeclarations.h"
#include "SqliteDb.h"
#include "SqliteTableSql.h"
#include "Store.h"
#include "StoreError.h"
#include "StoreStatement.h"
#include "StoreTransaction.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace corvane
{

namespace
{

const char *const kMessageTable = "tMessage";
const char *const kOldTable = "tMessageBeforeRemoval";

// The message table as this version declares it.
TableDeclaration messageTable()
{
    const auto tables =
        SchemaDeclarations::tablesAt(Schema::File::AcarsLog, Schema::kCurrentVersion);
    const auto it = std::find_if(tables.begin(), tables.end(), [](const TableDeclaration &t) {
        return qstricmp(t.name, kMessageTable) == 0;
    });
    if (it == tables.end())
        throw StoreError(QStringLiteral("The message table is not declared"));
    return *it;
}

} // namespace

void StoreCleanup::status(const QString &text)
{
    if (m_status)
        m_status(text);
}

qint64 StoreCleanup::deleteAllMessages()
{
    if (m_store.onServer())
        return deleteAllOnServer();
    SqliteDb &db = m_store.acarsLog();
    SqliteTransaction tx(db);
    const qint64 messages = count("SELECT count(*) FROM tMessage");
    db.exec("DELETE FROM ACARSLOG");
    db.exec("DELETE FROM LOGSPROCESSED");
    db.exec("DELETE FROM tMessage");
    db.exec("DELETE FROM UniqueAircraft");
    db.exec(NamedCommands::find(QStringLiteral("SetAllHeardToNone"))->sql);
    MessageCompanions(db).forgetAll();
    tx.commit();
    return messages;
}

StoreCleanup::Duplicates StoreCleanup::removeDuplicates(const MessageView &view)
{
    if (m_store.onServer())
        return removeDuplicatesOnServer(view);
    SqliteDb &db = m_store.acarsLog();
    SqliteTransaction tx(db);
    status(QStringLiteral("Finding duplicate messages..."));
    db.exec("DROP TABLE IF EXISTS temp.DuplicateKeep");
    db.exec("CREATE TEMP TABLE DuplicateKeep (id INTEGER PRIMARY KEY)");
    const bool scoped = fillScope(db, view, true);
    std::vector<qint64> survivors;
    Survey survey = surveyPairs(db, scoped, &survivors);
    keep(db, survivors);
    Duplicates result;
    result.removed = survey.doomed;
    result.left = survey.messages - survey.doomed;
    // Where most messages go, writing the few that stay anew is far cheaper
    // than taking the many out of the table and its indexes one by one.
    if (result.removed > 0 && result.removed * 2 > survey.messages) {
        keep(db, survey.unpaired);
        copySurvivors(db);
        MessageCompanions(db).forgetOrphansRecounting();
    } else if (result.removed > 0) {
        MessageCompanions(db).forgetOrphans(deleteInPlace(db, scoped));
    }
    db.exec("DROP TABLE temp.DuplicateKeep");
    db.exec("DROP TABLE IF EXISTS temp.DuplicateScope");
    tx.commit();
    return result;
}

StoreCleanup::Duplicates StoreCleanup::countDuplicates(const MessageView &view)
{
    if (m_store.onServer())
        return countDuplicatesOnServer(view);
    // A read transaction: a recorder writing meanwhile is not held up.
    StoreTransaction snapshot(m_store, Schema::File::AcarsLog, StoreTransaction::Kind::Snapshot);
    status(QStringLiteral("Counting duplicate messages..."));
    SqliteDb &db = m_store.acarsLog();
    const Survey survey = surveyPairs(db, fillScope(db, view, false), nullptr);
    snapshot.commit();
    return {survey.doomed, survey.messages - survey.doomed};
}

qint64 StoreCleanup::count(const char *sql)
{
    StoreStatement st(m_store, Schema::File::AcarsLog, sql);
    return st.step() ? st.int64(0) : 0;
}

// A station's batch writes its messages first: waiting for this lock, it
// touches no register or count row this transaction changes, so neither
// waits for the other in a circle.
void StoreCleanup::holdStations()
{
    StoreStatement(m_store, Schema::File::AcarsLog,
                   "LOCK TABLE tMessage IN SHARE ROW EXCLUSIVE MODE")
        .run();
}

qint64 StoreCleanup::deleteAllOnServer()
{
    StoreTransaction tx(m_store, Schema::File::AcarsLog);
    holdStations();
    const qint64 messages = count("SELECT count(*) FROM tMessage");
    // The row keys go on from where they were: a message's key is never
    // given to another.
    StoreStatement(m_store, Schema::File::AcarsLog,
                   "TRUNCATE tMessage, FeedDetails, ACARSLOG, UniqueAircraft, LOGSPROCESSED, "
                   "MessagesByHour, MessagesByLabel, MessagesByRegistration")
        .run();
    StoreStatement(m_store, Schema::File::AcarsLog,
                   NamedCommands::find(QStringLiteral("SetAllHeardToNone"))->sql)
        .run();
    tx.commit();
    return messages;
}

// The same choice as on the files, made by the server in one statement:
// of each pair in scope (keys without regard to case), the earliest
// message stays, ties going to the one stored first; the messages that go
// take their decoder details and their share of the kept counts with them.
StoreCleanup::Duplicates StoreCleanup::removeDuplicatesOnServer(const MessageView &view)
{
    StoreTransaction tx(m_store, Schema::File::AcarsLog);
    holdStations();
    status(QStringLiteral("Removing duplicate messages..."));
    const QByteArray scope = serverScope(view);
    StoreStatement remove(
        m_store, Schema::File::AcarsLog,
        "WITH doomed AS (SELECT id FROM (SELECT rowid AS id, row_number() OVER "
        "(PARTITION BY mReg, mFlight ORDER BY mTime COLLATE \"C\" NULLS FIRST, rowid) AS n FROM "
        "tMessage "
        "WHERE mReg <> '' AND mFlight <> ''" +
            scope +
            ") ranked WHERE n > 1), "
            "gone AS (DELETE FROM tMessage t USING doomed d WHERE t.rowid = d.id RETURNING "
            "t.rowid AS id, coalesce(t.mTime, '') AS time, coalesce(t.mReg, '') AS reg, "
            "coalesce(t.mLabel, '') AS label), "
            "details AS (DELETE FROM FeedDetails f USING gone g WHERE f.MessageId = g.id), "
            "hours AS (UPDATE MessagesByHour c SET Messages = c.Messages - g.n FROM "
            "(SELECT left(time, 13) AS hour, count(*) AS n FROM gone GROUP BY 1) g "
            "WHERE c.Hour = g.hour), "
            "labels AS (UPDATE MessagesByLabel c SET Messages = c.Messages - g.n FROM "
            "(SELECT left(time, 10) AS day, label, count(*) AS n FROM gone GROUP BY 1, 2) g "
            "WHERE c.Day = g.day AND c.Label = g.label), "
            "regs AS (UPDATE MessagesByRegistration c SET Messages = c.Messages - g.n FROM "
            "(SELECT left(time, 10) AS day, reg, count(*) AS n FROM gone GROUP BY 1, 2) g "
            "WHERE c.Day = g.day AND c.Registration = g.reg) "
            "SELECT count(*) FROM gone");
    const QStringList values = view.parameters(SqlDialect::Postgres);
    for (int i = 0; i < values.size(); ++i)
        remove.bind(i + 1, values[i]);
    Duplicates result;
    result.removed = remove.step() ? remove.int64(0) : 0;
    remove.reset();
    MessageCounts::pruneEmpty(m_store);
    result.left = count("SELECT count(*) FROM tMessage");
    tx.commit();
    return result;
}

QByteArray StoreCleanup::serverScope(const MessageView &view)
{
    const QString where = view.whereClause(SqlDialect::Postgres);
    if (where.isEmpty())
        return QByteArray();
    return " AND (mReg, mFlight) IN (SELECT mReg, mFlight FROM tMessage" + where.toUtf8() + ")";
}

// The removal's choice counted: every message of a pair in scope but one.
StoreCleanup::Duplicates StoreCleanup::countDuplicatesOnServer(const MessageView &view)
{
    StoreTransaction snapshot(m_store, Schema::File::AcarsLog, StoreTransaction::Kind::Snapshot);
    status(QStringLiteral("Counting duplicate messages..."));
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT (SELECT count(*) FROM tMessage), coalesce(sum(n - 1), 0) FROM "
                      "(SELECT count(*) AS n FROM tMessage WHERE mReg <> '' AND mFlight <> ''" +
                          serverScope(view) + " GROUP BY mReg, mFlight) pairs");
    const QStringList values = view.parameters(SqlDialect::Postgres);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    Duplicates result;
    if (st.step()) {
        result.removed = st.int64(1);
        result.left = st.int64(0) - result.removed;
    }
    st.reset();
    snapshot.commit();
    return result;
}

QByteArray StoreCleanup::pairKey(const char *reg, int regSize, const char *flight, int flightSize)
{
    // The registers' comparison: ASCII letters without regard to case.
    QByteArray key;
    key.reserve(regSize + 1 + flightSize);
    AsciiCase::appendUpper(key, reg, regSize);
    key.append('\0');
    AsciiCase::appendUpper(key, flight, flightSize);
    return key;
}

bool StoreCleanup::fillScope(SqliteDb &db, const MessageView &view, bool withTable)
{
    m_scope.clear();
    const QString where = view.whereClause();
    if (where.isEmpty())
        return false;
    // The pairs that occur in the view; all their messages count.
    std::optional<SqliteStatement> insert;
    if (withTable) {
        db.exec("DROP TABLE IF EXISTS temp.DuplicateScope");
        db.exec("CREATE TEMP TABLE DuplicateScope (reg TEXT COLLATE NOCASE, "
                "flight TEXT COLLATE NOCASE, PRIMARY KEY (reg, flight)) WITHOUT ROWID");
        insert.emplace(db, "INSERT OR IGNORE INTO temp.DuplicateScope VALUES (?, ?)");
    }
    SqliteStatement read(db, ("SELECT DISTINCT mReg, mFlight FROM tMessage" + where +
                              " AND mReg <> '' AND mFlight <> ''")
                                 .toUtf8()
                                 .constData());
    const QStringList values = view.parameters();
    for (int i = 0; i < values.size(); ++i)
        read.bind(i + 1, values[i]);
    while (read.step()) {
        const QByteArray reg = read.text(0).toUtf8(), flight = read.text(1).toUtf8();
        m_scope.insert(
            pairKey(reg.constData(), int(reg.size()), flight.constData(), int(flight.size())));
        if (insert) {
            insert->bind(1, reg);
            insert->bind(2, flight);
            insert->run();
        }
    }
    return true;
}

StoreCleanup::Survey StoreCleanup::surveyPairs(SqliteDb &db, bool scoped,
                                               std::vector<qint64> *survivors)
{
    // One pass over the table in rowid order, keeping the earliest message
    // of each pair in memory: far quicker than having the engine sort the
    // whole table by pair. A later message replaces the kept one only when
    // strictly earlier, so ties go to the one stored first.
    struct First {
        QByteArray time; // empty for a message without a time, which sorts first
        qint64 rowid = 0;
    };
    QHash<QByteArray, First> pairs;
    Survey survey;
    const auto unpaired = [&](qint64 rowid) {
        if (survivors)
            survey.unpaired.push_back(rowid);
    };
    SqliteStatement scan(db, "SELECT rowid, mReg, mFlight, mTime FROM tMessage");
    sqlite3_stmt *st = scan.handle();
    while (scan.step()) {
        ++survey.messages;
        const auto *reg = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
        const int regSize = sqlite3_column_bytes(st, 1);
        const auto *flight = reinterpret_cast<const char *>(sqlite3_column_text(st, 2));
        const int flightSize = sqlite3_column_bytes(st, 2);
        if (!reg || !flight || regSize == 0 || flightSize == 0) {
            unpaired(sqlite3_column_int64(st, 0));
            continue;
        }
        const QByteArray key = pairKey(reg, regSize, flight, flightSize);
        if (scoped && !m_scope.contains(key)) {
            unpaired(sqlite3_column_int64(st, 0));
            continue;
        }
        const auto *time = reinterpret_cast<const char *>(sqlite3_column_text(st, 3));
        QByteArray stamp =
            time ? '\x01' + QByteArray(time, sqlite3_column_bytes(st, 3)) : QByteArray();
        const auto found = pairs.find(key);
        if (found == pairs.end()) {
            pairs.insert(key, {std::move(stamp), sqlite3_column_int64(st, 0)});
            continue;
        }
        ++survey.doomed;
        if (stamp < found->time)
            *found = {std::move(stamp), sqlite3_column_int64(st, 0)};
    }
    if (survivors) {
        survivors->reserve(size_t(pairs.size()));
        for (const First &f : std::as_const(pairs))
            survivors->push_back(f.rowid);
    }
    return survey;
}

void StoreCleanup::keep(SqliteDb &db, std::vector<qint64> &ids)
{
    // In rowid order the table is only ever appended to.
    std::sort(ids.begin(), ids.end());
    SqliteStatement insert(db, "INSERT INTO temp.DuplicateKeep (id) VALUES (?)");
    for (const qint64 id : ids) {
        insert.bind(1, id);
        insert.run();
    }
}

QByteArray StoreCleanup::doomedCondition(bool scoped)
{
    QByteArray sql = "rowid NOT IN (SELECT id FROM temp.DuplicateKeep) "
                     "AND mReg <> '' AND mFlight <> ''";
    if (scoped)
        sql += " AND EXISTS (SELECT 1 FROM temp.DuplicateScope s "
               "WHERE s.reg = mReg AND s.flight = mFlight)";
    return sql;
}

MessageCounts StoreCleanup::deleteInPlace(SqliteDb &db, bool scoped)
{
    status(QStringLiteral("Removing duplicate messages..."));
    // The few that go are tallied as they go, instead of counting the many that stay.
    MessageCounts removed;
    MessageCompanions(db).forgetMatching(doomedCondition(scoped));
    SqliteStatement remove(db, ("DELETE FROM tMessage WHERE " + doomedCondition(scoped) +
                                " RETURNING coalesce(mTime, ''), coalesce(mReg, ''), "
                                "coalesce(mLabel, '')")
                                   .constData());
    while (remove.step())
        removed.add(remove.text(0).toUtf8(), remove.text(1).toUtf8(), remove.text(2).toUtf8(), -1);
    return removed;
}

void StoreCleanup::copySurvivors(SqliteDb &db)
{
    status(QStringLiteral("Copying the messages that stay..."));
    // The indexes and triggers go with the old table; they are built anew on
    // the copy once it is filled, which is far quicker than keeping them up
    // to date row by row.
    QList<QByteArray> rebuild;
    {
        SqliteStatement st(db, "SELECT sql FROM sqlite_master WHERE type IN ('index', 'trigger') "
                               "AND tbl_name = ? COLLATE NOCASE AND sql IS NOT NULL "
                               "ORDER BY type = 'trigger', rowid");
        st.bind(1, QString::fromLatin1(kMessageTable));
        while (st.step())
            rebuild << st.text(0).toUtf8();
    }
    // The old table steps aside under another name; views on the message
    // table keep naming it, and find the new one.
    const QByteArray old = kOldTable;
    db.exec(("DROP TABLE IF EXISTS " + old).constData());
    db.exec("PRAGMA legacy_alter_table = ON");
    try {
        db.exec(("ALTER TABLE tMessage RENAME TO " + old).constData());
    } catch (const StoreError &) {
        db.exec("PRAGMA legacy_alter_table = OFF");
        throw;
    }
    db.exec("PRAGMA legacy_alter_table = OFF");
    const TableDeclaration table = messageTable();
    db.exec(SqliteTableSql::createTable(table).constData());
    QByteArray columns = "rowid";
    for (const ColumnDeclaration &c : table.columns)
        columns += ", \"" + QByteArray(c.name).replace('"', "\"\"") + '"';
    const QByteArray copy = "INSERT INTO tMessage (" + columns + ") SELECT " + columns + " FROM " +
                            old +
                            " WHERE rowid IN (SELECT id FROM temp.DuplicateKeep) ORDER BY rowid";
    db.exec(copy.constData());
    db.exec(("DROP TABLE " + old).constData());
    status(QStringLiteral("Building the message indexes..."));
    for (const QByteArray &sql : rebuild)
        db.exec(sql.constData());
}

bool StoreCleanup::needsCompacting() const
{
    return !m_store.onServer();
}

StoreCleanup::Compaction StoreCleanup::compact()
{
    if (!needsCompacting())
        return {};
    status(QStringLiteral("Compacting the message store..."));
    SqliteDb &db = m_store.acarsLog();
    Compaction sizes;
    sizes.bytesBefore = fileBytes(db);
    MessageCompanions companions(db);
    companions.prepareRenumbering();
    db.exec("VACUUM");
    companions.finishRenumbering();
    // The compacted file waits in the write-ahead log until a checkpoint
    // copies it back and cuts the file short: done now, so the space is
    // free when this says so, not when the last program closes the store.
    // One that cannot finish (a reader holds on) leaves it to a later one.
    sqlite3_exec(db.handle(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sizes.bytesAfter = fileBytes(db);
    return sizes;
}

qint64 StoreCleanup::fileBytes(SqliteDb &db)
{
    SqliteStatement pages(db, "PRAGMA page_count");
    SqliteStatement pageSize(db, "PRAGMA page_size");
    return (pages.step() ? pages.int64(0) : 0) * (pageSize.step() ? pageSize.int64(0) : 0);
}

} // namespace corvane
