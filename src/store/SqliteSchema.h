#pragma once

#include "Schema.h"

namespace corvane
{

class SqliteDb;
class StoreError;
struct SchemaStep;
enum class SchemaFill;

// Creation, adoption and upgrades of the three database files, all built from
// the declarations in SchemaDeclarations.
class SqliteSchema
{
public:
    // Creates the tables of a new file, upgrades an older one step by step in
    // one transaction, and refuses a file that is not one of ours. Upgrade
    // steps that take long report through the progress callback.
    static void ensure(SqliteDb &db, Schema::File file, const SchemaProgress &progress = {});
    // Whether a file can be used as it is, without writing to it. Throws
    // StoreError for a file that is not ours or comes from a newer version;
    // false when it would need creating or upgrading first.
    static bool isCurrent(SqliteDb &db, Schema::File file);
    // Throws StoreError when an existing file is not an SQLite database.
    static void checkIsSqliteFile(const QString &path);

private:
    static void build(SqliteDb &db, Schema::File file, const SchemaProgress &progress);
    static StoreError newerVersion(SqliteDb &db, int version);
    static void create(SqliteDb &db, Schema::File file);
    static void upgrade(SqliteDb &db, Schema::File file, int fromVersion,
                        const SchemaProgress &progress);
    static void applyStep(SqliteDb &db, const SchemaStep &step, const SchemaProgress &progress);
    static void fill(SqliteDb &db, SchemaFill what, const SchemaProgress &progress);
    static void fillLabelMeanings(SqliteDb &db);
    static bool hasMissingIndexes(SqliteDb &db, Schema::File file);
    static void addMissingIndexes(SqliteDb &db, Schema::File file);
    static bool hasTablesAt(SqliteDb &db, Schema::File file, int version);
    static bool hasIndex(SqliteDb &db, const char *name);
};

} // namespace corvane
