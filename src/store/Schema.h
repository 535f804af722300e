#pragma once

#include <QString>
#include <functional>

namespace corvane
{

class SqliteDb;
class StoreError;
struct SchemaStep;

// Told what a long upgrade step is doing, as it goes ("Building the search index: 40%").
using SchemaProgress = std::function<void(const QString &)>;

// Creation, adoption and upgrades of the three database files, all built from
// the declarations in SchemaDeclarations.
class Schema
{
public:
    enum class File { AcarsLog, Routes, Alerts };
    static constexpr File kFiles[] = {File::AcarsLog, File::Routes, File::Alerts};

    static constexpr int kCurrentVersion = 6;

    static QString fileName(File file);
    // Creates the tables of a new file, upgrades an older one step by step in
    // one transaction, and refuses a file that is not one of ours. Upgrade
    // steps that take long report through the progress callback.
    static void ensure(SqliteDb &db, File file, const SchemaProgress &progress = {});
    // Whether a file can be used as it is, without writing to it. Throws
    // StoreError for a file that is not ours or comes from a newer version;
    // false when it would need creating or upgrading first.
    static bool isCurrent(SqliteDb &db, File file);
    // Throws StoreError when an existing file is not an SQLite database.
    static void checkIsSqliteFile(const QString &path);

private:
    static void build(SqliteDb &db, File file, const SchemaProgress &progress);
    static StoreError newerVersion(SqliteDb &db, int version);
    static void create(SqliteDb &db, File file);
    static void upgrade(SqliteDb &db, File file, int fromVersion, const SchemaProgress &progress);
    static void applyStep(SqliteDb &db, const SchemaStep &step, const SchemaProgress &progress);
    static bool hasMissingIndexes(SqliteDb &db, File file);
    static void addMissingIndexes(SqliteDb &db, File file);
    static bool hasTablesAt(SqliteDb &db, File file, int version);
    static bool hasIndex(SqliteDb &db, const char *name);
};

} // namespace corvane
