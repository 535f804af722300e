#pragma once

namespace corvane
{

class PgConnection;
enum class SchemaFill;

// The tables of a store on a PostgreSQL server: those of the three files in
// one database, built from the same declarations as the SQLite files, with
// the schema version in the table StoreVersion.
class PgSchema
{
public:
    // Creates the tables of a new store or upgrades an older one, in one
    // transaction; stations that start at once take turns. Throws StoreError
    // for a database that holds tables of ours but no version, or one made
    // by a newer version of the program.
    static void ensure(PgConnection &db);
    // The schema version the database holds; -1 when it holds no store.
    static int version(PgConnection &db);

private:
    static void create(PgConnection &db);
    static void upgrade(PgConnection &db, int fromVersion);
    static void fill(PgConnection &db, SchemaFill what);
    static void fillLabelMeanings(PgConnection &db);
};

} // namespace corvane
