#pragma once

#include "Schema.h"

#include <QByteArray>
#include <vector>

namespace corvane
{

class SqliteDb;

// A column as CREATE TABLE and ALTER TABLE ADD COLUMN write it.
struct ColumnDeclaration {
    // Text compared without regard to ASCII case; a server's column is citext.
    static constexpr const char *kNoCase = "COLLATE NOCASE";

    const char *name;
    const char *type;             // "TEXT", "INTEGER"
    const char *constraints = ""; // kNoCase, NOT NULL, default, PRIMARY KEY
};

struct TableDeclaration {
    const char *name;
    std::vector<ColumnDeclaration> columns;
    // A key of several columns; the table is then kept in key order without rowids.
    std::vector<const char *> primaryKey = {};
    // Rows updated again and again (registers, counts): a server leaves room
    // on each page so that an update can stay there.
    bool updatedInPlace = false;
};

// A column added to a table of an earlier step; it goes at the end of the table.
struct AddedColumn {
    const char *table;
    ColumnDeclaration column;
};

// What an index is on a server. A register's key is unique there: with
// several stations writing at once, uniqueness lets each upsert its rows
// without reading them first. An index that only orders a grid is left out
// there: the server sorts a register's rows for a page faster than each
// station's upserts could keep the index, and without it a register's
// update stays on its page (a heap-only update) instead of touching every
// index.
enum class OnServer { Same, Unique, Absent };

struct IndexDeclaration {
    const char *name;
    const char *table;
    std::vector<const char *> columns;
    OnServer onServer = OnServer::Same;
};

// Rows a step puts into every file that reaches it, new or upgraded. Each
// engine's schema says how it fills them, in a switch without default: the
// compiler warns of a new value until both do.
enum class SchemaFill {
    CountMessages,       // the kept message counts, from the messages held
    IndexMessageTexts,   // the search index, from the messages held
    CommonLabelMeanings, // the labels' meanings, into an empty LABELS table
};

// What each engine builds its own way, after a step's tables and indexes.
enum class EngineObject {
    MessageTextIndex, // the search's index over the messages' texts
};

// What one schema version brought to one database file.
struct SchemaStep {
    int version;
    std::vector<TableDeclaration> tables = {};
    std::vector<AddedColumn> columns = {};
    std::vector<IndexDeclaration> indexes = {};
    std::vector<EngineObject> objects = {};
    // Statements that change rows an older file holds; a new file does not run them.
    std::vector<const char *> dataChanges = {};
    // Each leaves the user's rows alone; one that takes long on a large file
    // reports its progress.
    std::vector<SchemaFill> fills = {};
};

// The two engines a store lives in. A server holds the tables of all three
// files in one database.
enum class SqlDialect { Sqlite, Postgres };

// The tables, columns and indexes of the three files, each tagged with the
// version that brought it. SqliteTableSql and PgTableSql write them out.
class SchemaDeclarations
{
public:
    // The steps of a file, oldest first; step 0 is what a file had before it carried a version.
    static const std::vector<SchemaStep> &steps(Schema::File file);

    // The tables of a file with their columns in table order, as they stood at a version.
    static std::vector<TableDeclaration> tablesAt(Schema::File file, int version);
    static std::vector<IndexDeclaration> indexesAt(Schema::File file, int version);

    // Whether rows are found by SQLite's implicit rowid, which a server
    // table then carries as a column of that name.
    static bool hasImplicitRowId(const TableDeclaration &table);
    static bool isIntegerKey(const ColumnDeclaration &column);
    // A declared name as statements write it: bare when it is letters,
    // digits and underscores, quoted otherwise. No declared name is a
    // keyword of either engine.
    static QByteArray identifier(const char *name);
};

} // namespace corvane
