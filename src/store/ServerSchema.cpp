#include "ServerSchema.h"

#include "LabelMeanings.h"
#include "PgConnection.h"
#include "Schema.h"
#include "SchemaDeclarations.h"
#include "StoreError.h"

namespace corvane
{

namespace
{

// Any number will do, as long as every station takes the same one.
const char *const kSchemaLock = "SELECT pg_advisory_xact_lock(4236557720)";

bool holdsAnyOurTable(PgConnection &db)
{
    for (Schema::File file : Schema::kFiles)
        for (const TableDeclaration &table :
             SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion))
            if (!db.query("SELECT to_regclass($1)",
                          {SchemaDeclarations::identifier(table.name).toLower()})
                     .isNull(0, 0))
                return true;
    return false;
}

void setVersion(PgConnection &db, int version)
{
    db.exec("DELETE FROM StoreVersion");
    db.query("INSERT INTO StoreVersion (Version) VALUES ($1)", {QByteArray::number(version)});
}

} // namespace

int ServerSchema::version(PgConnection &db)
{
    if (db.query("SELECT to_regclass('storeversion')").isNull(0, 0))
        return -1;
    const PgResult row = db.query("SELECT max(Version) FROM StoreVersion");
    return row.isNull(0, 0) ? -1 : int(row.int64(0, 0));
}

void ServerSchema::ensure(PgConnection &db)
{
    PgTransaction transaction(db);
    db.exec(kSchemaLock);
    const int current = version(db);
    if (current > Schema::kCurrentVersion)
        throw StoreError(QStringLiteral("The store %1 was made by a newer version of ACARS Corvane "
                                        "(schema %2; this one knows %3)")
                             .arg(db.url().display(), QString::number(current),
                                  QString::number(Schema::kCurrentVersion)));
    if (current == Schema::kCurrentVersion)
        return;
    if (current < 0) {
        if (holdsAnyOurTable(db))
            throw StoreError(
                QStringLiteral("The database %1 holds tables named like ours but is not an ACARS "
                               "Corvane store; use an empty database")
                    .arg(db.url().display()));
        create(db);
    } else {
        upgrade(db, current);
    }
    transaction.commit();
}

QByteArray ServerSchema::createStatements()
{
    QByteArray sql = "CREATE EXTENSION IF NOT EXISTS citext;\n"
                     "CREATE TABLE IF NOT EXISTS StoreVersion (Version integer NOT NULL);\n";
    for (Schema::File file : Schema::kFiles) {
        for (const TableDeclaration &table :
             SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion))
            sql += SchemaDeclarations::createTable(table, SqlDialect::Postgres) + ";\n";
        for (const IndexDeclaration &index :
             SchemaDeclarations::indexesAt(file, Schema::kCurrentVersion))
            if (index.onServer != OnServer::Absent)
                sql += SchemaDeclarations::createIndex(index, SqlDialect::Postgres) + ";\n";
        for (const SchemaStep &step : SchemaDeclarations::steps(file))
            for (const char *statement : step.serverStatements)
                sql += QByteArray(statement) + ";\n";
    }
    return sql;
}

void ServerSchema::create(PgConnection &db)
{
    db.exec(createStatements());
    // A new store knows the common labels' meanings, as the files do.
    LabelMeanings::fillWhenEmpty(db);
    setVersion(db, Schema::kCurrentVersion);
}

// The tables, columns and indexes of the later steps; the SQLite-only parts
// (virtual tables, fills written for SQLite) have no place here.
void ServerSchema::upgrade(PgConnection &db, int fromVersion)
{
    for (Schema::File file : Schema::kFiles) {
        for (const SchemaStep &step : SchemaDeclarations::steps(file)) {
            if (step.version <= fromVersion)
                continue;
            for (const TableDeclaration &table : step.tables)
                db.exec(SchemaDeclarations::createTable(table, SqlDialect::Postgres));
            for (const AddedColumn &added : step.columns)
                db.exec(
                    SchemaDeclarations::addColumn(added.table, added.column, SqlDialect::Postgres));
            for (const IndexDeclaration &index : step.indexes)
                if (index.onServer != OnServer::Absent)
                    db.exec(SchemaDeclarations::createIndex(index, SqlDialect::Postgres));
            for (const char *statement : step.serverStatements)
                db.exec(statement);
        }
    }
    setVersion(db, Schema::kCurrentVersion);
}

} // namespace corvane
