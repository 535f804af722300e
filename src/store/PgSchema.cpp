#include "PgSchema.h"

#include "LabelMeanings.h"
#include "PgArray.h"
#include "PgConnection.h"
#include "PgTableSql.h"
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

int PgSchema::version(PgConnection &db)
{
    if (db.query("SELECT to_regclass('storeversion')").isNull(0, 0))
        return -1;
    const PgResult row = db.query("SELECT max(Version) FROM StoreVersion");
    return row.isNull(0, 0) ? -1 : int(row.int64(0, 0));
}

void PgSchema::ensure(PgConnection &db)
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

void PgSchema::create(PgConnection &db)
{
    db.exec(PgTableSql::createStatements());
    for (Schema::File file : Schema::kFiles)
        for (const SchemaStep &step : SchemaDeclarations::steps(file))
            for (SchemaFill what : step.fills)
                fill(db, what);
    setVersion(db, Schema::kCurrentVersion);
}

// The tables, columns, indexes, objects and fills of the later steps.
void PgSchema::upgrade(PgConnection &db, int fromVersion)
{
    for (Schema::File file : Schema::kFiles) {
        for (const SchemaStep &step : SchemaDeclarations::steps(file)) {
            if (step.version <= fromVersion)
                continue;
            for (const TableDeclaration &table : step.tables)
                db.exec(PgTableSql::createTable(table));
            for (const AddedColumn &added : step.columns)
                db.exec(PgTableSql::addColumn(added.table, added.column));
            for (const IndexDeclaration &index : step.indexes)
                if (index.onServer != OnServer::Absent)
                    db.exec(PgTableSql::createIndex(index));
            for (EngineObject object : step.objects)
                for (const char *statement : PgTableSql::objectStatements(object))
                    db.exec(statement);
            for (SchemaFill what : step.fills)
                fill(db, what);
        }
    }
    setVersion(db, Schema::kCurrentVersion);
}

void PgSchema::fill(PgConnection &db, SchemaFill what)
{
    switch (what) {
    case SchemaFill::CountMessages:
        // Every server store was made with its counts, kept by each batch.
    case SchemaFill::IndexMessageTexts:
        // The trigram index takes in the rows already held as it is made.
        return;
    case SchemaFill::CommonLabelMeanings:
        fillLabelMeanings(db);
        return;
    }
}

// A new store knows the common labels' meanings, as the files do; the
// user's rows are left alone.
void PgSchema::fillLabelMeanings(PgConnection &db)
{
    if (db.query("SELECT 1 FROM LABELS LIMIT 1").rows() > 0)
        return;
    PgArray codes, meanings;
    for (const LabelMeanings::Label &label : LabelMeanings::common()) {
        codes.add(QByteArray(label.code));
        meanings.add(QByteArray(label.meaning));
    }
    db.query("INSERT INTO LABELS (CODE, MESSAGE) SELECT * FROM unnest($1::text[], $2::text[])",
             {codes.text(), meanings.text()});
}

} // namespace corvane
