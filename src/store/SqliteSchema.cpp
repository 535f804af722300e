#include "SqliteSchema.h"

#include "LabelMeanings.h"
#include "MessageCounts.h"
#include "MessageSearchIndex.h"
#include "SchemaDeclarations.h"
#include "SqliteDb.h"
#include "SqliteTableSql.h"
#include "StoreError.h"

#include <QFileInfo>
#include <QStringList>
#include <QThread>

namespace corvane
{

namespace
{

// Switching the log mode needs the file to itself for a moment, and the
// engine does not wait for that as it waits for a transaction: another
// opening of the same store may hold it, so wait here.
void useWriteAheadLog(SqliteDb &db)
{
    for (int attempt = 0;; ++attempt) {
        const int rc =
            sqlite3_exec(db.handle(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            return;
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || attempt >= 500)
            db.fail(QStringLiteral("PRAGMA journal_mode = WAL"));
        QThread::msleep(10);
    }
}

StoreError missingParts(const QString &path)
{
    return StoreError(
        QStringLiteral("%1 is missing tables or columns of ACARS Corvane.").arg(path));
}

} // namespace

bool SqliteSchema::hasTablesAt(SqliteDb &db, Schema::File file, int version)
{
    for (const TableDeclaration &table : SchemaDeclarations::tablesAt(file, version)) {
        const QStringList have = db.columnsOf(QString::fromLatin1(table.name));
        for (const ColumnDeclaration &column : table.columns)
            if (!have.contains(QString::fromLatin1(column.name), Qt::CaseInsensitive))
                return false;
    }
    return true;
}

bool SqliteSchema::hasIndex(SqliteDb &db, const char *name)
{
    SqliteStatement st(db,
                       "SELECT 1 FROM sqlite_master WHERE type='index' AND name=? COLLATE NOCASE");
    st.bind(1, QString::fromLatin1(name));
    return st.step();
}

StoreError SqliteSchema::newerVersion(SqliteDb &db, int version)
{
    return StoreError(
        QStringLiteral("%1 was written by a newer version of ACARS Corvane (schema %2).")
            .arg(db.path())
            .arg(version));
}

bool SqliteSchema::isCurrent(SqliteDb &db, Schema::File file)
{
    const int version = db.userVersion();
    if (version > Schema::kCurrentVersion)
        throw newerVersion(db, version);
    if (version == 0 && db.tableNames().isEmpty())
        return false;
    if (version == 0 && !hasTablesAt(db, file, 0))
        throw Schema::notOurs(db.path());
    if (!hasTablesAt(db, file, version))
        throw missingParts(db.path());
    return version == Schema::kCurrentVersion;
}

void SqliteSchema::ensure(SqliteDb &db, Schema::File file, const SchemaProgress &progress)
{
    if (!isCurrent(db, file) || hasMissingIndexes(db, file)) {
        // Larger pages keep the message indexes shallow. Only a new file
        // takes it, and only before the transaction touches the file.
        if (db.userVersion() == 0 && db.tableNames().isEmpty())
            db.exec("PRAGMA page_size = 16384");
        useWriteAheadLog(db);
        // Decided and done under the write lock, so another process creating
        // or upgrading the same file at the same moment is seen, not raced.
        SqliteTransaction tx(db);
        build(db, file, progress);
        tx.commit();
    }
    useWriteAheadLog(db);
    db.exec("PRAGMA synchronous = NORMAL");
    db.exec("PRAGMA cache_size = -65536");
    db.exec("PRAGMA wal_autocheckpoint = 8192");
}

void SqliteSchema::build(SqliteDb &db, Schema::File file, const SchemaProgress &progress)
{
    const int version = db.userVersion();
    if (version > Schema::kCurrentVersion)
        throw newerVersion(db, version);
    if (version == 0 && db.tableNames().isEmpty()) {
        create(db, file);
    } else if (version == 0 && !hasTablesAt(db, file, 0)) {
        throw Schema::notOurs(db.path());
    } else if (!hasTablesAt(db, file, version)) {
        throw missingParts(db.path());
    } else if (version < Schema::kCurrentVersion) {
        upgrade(db, file, version, progress);
    } else {
        addMissingIndexes(db, file);
    }
}

void SqliteSchema::create(SqliteDb &db, Schema::File file)
{
    db.exec(SqliteTableSql::createStatements(file, Schema::kCurrentVersion).constData());
    for (const SchemaStep &step : SchemaDeclarations::steps(file))
        for (SchemaFill f : step.fills)
            fill(db, f, {}); // nothing to report in a new file
    db.setUserVersion(Schema::kCurrentVersion);
}

void SqliteSchema::upgrade(SqliteDb &db, Schema::File file, int fromVersion,
                           const SchemaProgress &progress)
{
    for (const SchemaStep &step : SchemaDeclarations::steps(file))
        if (step.version > fromVersion && step.version <= Schema::kCurrentVersion)
            applyStep(db, step, progress);
    // A table of a later step that the file already held under that name must have our columns.
    if (!hasTablesAt(db, file, Schema::kCurrentVersion))
        throw missingParts(db.path());
    db.setUserVersion(Schema::kCurrentVersion);
}

void SqliteSchema::applyStep(SqliteDb &db, const SchemaStep &step, const SchemaProgress &progress)
{
    for (const TableDeclaration &table : step.tables)
        db.exec(SqliteTableSql::createTable(table).constData());
    for (const AddedColumn &added : step.columns) {
        // A file adopted from before versions were kept may hold the column already.
        const QString table = QString::fromLatin1(added.table);
        if (!db.columnsOf(table).contains(QString::fromLatin1(added.column.name),
                                          Qt::CaseInsensitive))
            db.exec(SqliteTableSql::addColumn(added.table, added.column).constData());
    }
    for (const IndexDeclaration &index : step.indexes)
        db.exec(SqliteTableSql::createIndex(index).constData());
    for (EngineObject object : step.objects)
        for (const char *statement : SqliteTableSql::objectStatements(object))
            db.exec(statement);
    for (const char *statement : step.dataChanges)
        db.exec(statement);
    for (SchemaFill f : step.fills)
        fill(db, f, progress);
}

void SqliteSchema::fill(SqliteDb &db, SchemaFill what, const SchemaProgress &progress)
{
    switch (what) {
    case SchemaFill::CountMessages:
        if (progress)
            progress(QStringLiteral("Counting the messages for the charts..."));
        MessageCounts::recount(db);
        return;
    case SchemaFill::IndexMessageTexts:
        MessageSearchIndex::fill(db, progress);
        return;
    case SchemaFill::CommonLabelMeanings:
        fillLabelMeanings(db);
        return;
    }
}

// Into an empty LABELS table only: the user may have edited or added rows.
void SqliteSchema::fillLabelMeanings(SqliteDb &db)
{
    SqliteStatement any(db, "SELECT 1 FROM LABELS LIMIT 1");
    if (any.step())
        return;
    SqliteStatement insert(db, "INSERT INTO LABELS (CODE, MESSAGE) VALUES (?, ?)");
    for (const LabelMeanings::Label &label : LabelMeanings::common()) {
        insert.bind(1, QByteArray(label.code));
        insert.bind(2, QByteArray(label.meaning));
        insert.run();
    }
}

bool SqliteSchema::hasMissingIndexes(SqliteDb &db, Schema::File file)
{
    for (const IndexDeclaration &index :
         SchemaDeclarations::indexesAt(file, Schema::kCurrentVersion))
        if (!hasIndex(db, index.name))
            return true;
    return false;
}

void SqliteSchema::addMissingIndexes(SqliteDb &db, Schema::File file)
{
    // Files adopted by earlier releases reached the current version without some indexes.
    std::vector<IndexDeclaration> missing;
    for (const IndexDeclaration &index :
         SchemaDeclarations::indexesAt(file, Schema::kCurrentVersion))
        if (!hasIndex(db, index.name))
            missing.push_back(index);
    for (const IndexDeclaration &index : missing)
        db.exec(SqliteTableSql::createIndex(index).constData());
}

void SqliteSchema::checkIsSqliteFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.size() == 0)
        return;
    if (!info.isFile())
        throw StoreError(QStringLiteral("%1 is not a file; it was left as it is.").arg(path));
    // The engine reads the header, not a descriptor of our own: closing any
    // descriptor on the file drops every lock this process holds on it, and
    // another program closing the store would then take our connections for
    // gone and remove the write-ahead log under them. The engine keeps its
    // descriptor open while other connections here hold locks. Immutable
    // reads the file alone, without the log or a lock.
    SqliteDb probe;
    probe.open(path, SqliteDb::Mode::Immutable);
    const int rc = sqlite3_exec(probe.handle(), "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_NOTADB)
        throw Schema::notOurs(path);
}

} // namespace corvane
