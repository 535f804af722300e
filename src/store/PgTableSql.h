#pragma once

#include <QByteArray>
#include <vector>

namespace corvane
{

struct ColumnDeclaration;
struct IndexDeclaration;
struct TableDeclaration;
enum class EngineObject;

// The statements that build the declared tables, columns and indexes on a
// PostgreSQL server, where one database holds the tables of all three files.
// The one place the server's types are chosen: 64-bit integers, exact
// doubles, and citext for the keys the files compare without regard to
// case, so the same statements compare the same way on both engines.
class PgTableSql
{
public:
    // The statements that create the whole store at the current version.
    static QByteArray createStatements();

    static QByteArray createTable(const TableDeclaration &table);
    static QByteArray addColumn(const char *table, const ColumnDeclaration &column);
    // Not for an index a server goes without (OnServer::Absent).
    static QByteArray createIndex(const IndexDeclaration &index);
    // What builds an object of a step, after its tables and indexes.
    static std::vector<const char *> objectStatements(EngineObject object);

private:
    static QByteArray columnDefinition(const ColumnDeclaration &column);
};

} // namespace corvane
