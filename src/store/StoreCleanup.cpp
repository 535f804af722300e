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
const char *const kKeepTable = "tMessageKeep";

// The message table as this version declares it, under another name.
TableDeclaration messageTableNamed(const char *name)
{
    const auto tables =
        SchemaDeclarations::tablesAt(Schema::File::AcarsLog, Schema::kCurrentVersion);
    const auto it = std::find_if(tables.begin(), tables.end(), [](const TableDeclaration &t) {
        return qstricmp(t.name, kMessageTable) == 0;
    });
    if (it == tables.end())
        throw StoreError(QStringLiteral("The message table is not declared"));
    TableDeclaration table = *it;
    table.name = name;
    return table;
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
    QList<QByteArray> indexes;
    {
        SqliteStatement st(db, "SELECT sql FROM sqlite_master WHERE type = 'index' "
                               "AND tbl_name = ? COLLATE NOCASE AND sql IS NOT NULL");
        st.bind(1, QString::fromLatin1(kMessageTable));
        while (st.step())
            indexes << st.text(0).toUtf8();
    }
    const TableDeclaration keep = messageTableNamed(kKeepTable);
    QByteArray columns = "rowid";
    for (const ColumnDeclaration &c : keep.columns)
        columns += ", \"" + QByteArray(c.name).replace('"', "\"\"") + '"';
    db.exec(("DROP TABLE IF EXISTS " + QByteArray(kKeepTable)).constData());
    db.exec(SchemaDeclarations::createTable(keep).constData());
    const QByteArray copy = "INSERT INTO " + QByteArray(kKeepTable) + " (" + columns + ") SELECT " +
                            columns +
                            " FROM tMessage WHERE rowid NOT IN "
                            "(SELECT id FROM temp.DuplicateMessages) ORDER BY rowid";
    db.exec(copy.constData());
    db.exec("DROP TABLE tMessage");
    db.exec(("ALTER TABLE " + QByteArray(kKeepTable) + " RENAME TO tMessage").constData());
    status(QStringLiteral("Building the message indexes..."));
    for (const QByteArray &sql : indexes)
        db.exec(sql.constData());
}

void StoreCleanup::compact()
{
    status(QStringLiteral("Compacting the message store..."));
    m_store.acarsLog().exec("VACUUM");
}

} // namespace corvane
