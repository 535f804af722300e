#pragma once

#include <QString>

namespace corvane
{

class SqliteDb;
class StoreError;
struct SchemaStep;

// Creation, adoption and upgrades of the three database files, all built from
// the declarations in SchemaDeclarations.
class Schema
{
public:
    enum class File { AcarsLog, Routes, Alerts };

    static constexpr int kCurrentVersion = 4;

    static QString fileName(File file);
    // Creates the tables of a new file, upgrades an older one step by step in
    // one transaction, and refuses a file that is not one of ours.
    static void ensure(SqliteDb &db, File file);
    // Whether a file can be used as it is, without writing to it. Throws
    // StoreError for a file that is not ours or comes from a newer version;
    // false when it would need creating or upgrading first.
    static bool isCurrent(SqliteDb &db, File file);
    // Throws StoreError when an existing file is not an SQLite database.
    static void checkIsSqliteFile(const QString &path);

private:
    static void build(SqliteDb &db, File file);
    static StoreError newerVersion(SqliteDb &db, int version);
    static void create(SqliteDb &db, File file);
    static void upgrade(SqliteDb &db, File file, int fromVersion);
    static void applyStep(SqliteDb &db, const SchemaStep &step);
    static bool hasMissingIndexes(SqliteDb &db, File file);
    static void addMissingIndexes(SqliteDb &db, File file);
    static bool hasTablesAt(SqliteDb &db, File file, int version);
    static bool hasIndex(SqliteDb &db, const char *name);
};

} // namespace corvane
