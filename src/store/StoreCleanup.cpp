#include "StoreCleanup.h"

#include "MessageView.h"
#include "NamedCommands.h"
#include "SchemaDeclarations.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

#include <QStringList>
#include <algorithm>

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

qint64 StoreCleanup::count(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    return st.step() ? st.int64(0) : 0;
}

qint64 StoreCleanup::deleteAllMessages()
{
    SqliteDb &db = m_store.acarsLog();
    SqliteTransaction tx(db);
    const qint64 messages = count(db, "SELECT count(*) FROM tMessage");
    db.exec("DELETE FROM ACARSLOG");
    db.exec("DELETE FROM LOGSPROCESSED");
    db.exec("DELETE FROM tMessage");
    db.exec("DELETE FROM UniqueAircraft");
    db.exec(NamedCommands::find(QStringLiteral("SetAllHeardToNone"))->sql);
    tx.commit();
    return messages;
}

StoreCleanup::Duplicates StoreCleanup::removeDuplicates(const MessageView &view)
{
    SqliteDb &db = m_store.acarsLog();
    SqliteTransaction tx(db);
    status(QStringLiteral("Finding duplicate messages..."));
    findDuplicates(db, view);
    const qint64 total = count(db, "SELECT count(*) FROM tMessage");
    Duplicates result;
    result.removed = count(db, "SELECT count(*) FROM temp.DuplicateMessages");
    result.left = total - result.removed;
    // Where most messages go, writing the few survivors anew is far cheaper
    // than taking the many out of the table and its indexes one by one.
    if (result.removed > 0 && result.removed * 2 > total)
        copySurvivors(db);
    else if (result.removed > 0)
        deleteInPlace(db);
    db.exec("DROP TABLE temp.DuplicateMessages");
    db.exec("DROP TABLE IF EXISTS temp.DuplicateScope");
    tx.commit();
    return result;
}

void StoreCleanup::findDuplicates(SqliteDb &db, const MessageView &view)
{
    db.exec("DROP TABLE IF EXISTS temp.DuplicateMessages");
    db.exec("DROP TABLE IF EXISTS temp.DuplicateScope");
    db.exec("CREATE TEMP TABLE DuplicateMessages (id INTEGER PRIMARY KEY)");
    QByteArray scope;
    const QString where = view.whereClause();
    if (!where.isEmpty()) {
        // The pairs that occur in the view; all their messages count.
        db.exec("CREATE TEMP TABLE DuplicateScope (reg TEXT COLLATE NOCASE, "
                "flight TEXT COLLATE NOCASE, PRIMARY KEY (reg, flight)) WITHOUT ROWID");
        SqliteStatement fill(
            db, ("INSERT OR IGNORE INTO temp.DuplicateScope SELECT mReg, mFlight FROM tMessage" +
                 where + " AND mReg <> '' AND mFlight <> ''")
                    .toUtf8()
                    .constData());
        const QStringList values = view.parameters();
        for (int i = 0; i < values.size(); ++i)
            fill.bind(i + 1, values[i]);
        fill.run();
        scope = " JOIN temp.DuplicateScope s ON s.reg = m.mReg AND s.flight = m.mFlight";
    }
    const QByteArray sql =
        "INSERT INTO temp.DuplicateMessages SELECT id FROM (SELECT m.rowid AS id, "
        "row_number() OVER (PARTITION BY m.mReg, m.mFlight ORDER BY m.mTime, m.rowid) AS n "
        "FROM tMessage m" +
        scope + " WHERE m.mReg <> '' AND m.mFlight <> '') WHERE n > 1 ORDER BY id";
    db.exec(sql.constData());
}

void StoreCleanup::deleteInPlace(SqliteDb &db)
{
    status(QStringLiteral("Removing duplicate messages..."));
    db.exec("DELETE FROM tMessage WHERE rowid IN (SELECT id FROM temp.DuplicateMessages)");
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
    db.exec(SchemaDeclarations::createTable(table).constData());
    QByteArray columns = "rowid";
    for (const ColumnDeclaration &c : table.columns)
        columns += ", \"" + QByteArray(c.name).replace('"', "\"\"") + '"';
    const QByteArray copy = "INSERT INTO tMessage (" + columns + ") SELECT " + columns + " FROM " +
                            old +
                            " WHERE rowid NOT IN (SELECT id FROM temp.DuplicateMessages) "
                            "ORDER BY rowid";
    db.exec(copy.constData());
    db.exec(("DROP TABLE " + old).constData());
    status(QStringLiteral("Building the message indexes..."));
    for (const QByteArray &sql : rebuild)
        db.exec(sql.constData());
}

void StoreCleanup::compact()
{
    status(QStringLiteral("Compacting the message store..."));
    m_store.acarsLog().exec("VACUUM");
}

} // namespace corvane
