#pragma once

#include "Schema.h"

#include <QByteArray>
#include <vector>

namespace corvane
{

struct ColumnDeclaration;
struct IndexDeclaration;
struct TableDeclaration;
enum class EngineObject;

// The statements that build the declared tables, columns and indexes in the
// SQLite files.
class SqliteTableSql
{
public:
    // The statements that create a file as it stood at a version (without its user_version).
    static QByteArray createStatements(Schema::File file, int version);

    static QByteArray createTable(const TableDeclaration &table);
    static QByteArray addColumn(const char *table, const ColumnDeclaration &column);
    static QByteArray createIndex(const IndexDeclaration &index);
    // What builds an object of a step, after its tables and indexes.
    static std::vector<const char *> objectStatements(EngineObject object);

private:
    static QByteArray columnDefinition(const ColumnDeclaration &column);
};

} // namespace corvane
