#include "SqliteTableSql.h"

#include "MessageSearchIndex.h"
#include "SchemaDeclarations.h"

#include <cstring>

namespace corvane
{

QByteArray SqliteTableSql::createStatements(Schema::File file, int version)
{
    QByteArray sql;
    for (const TableDeclaration &table : SchemaDeclarations::tablesAt(file, version))
        sql += createTable(table) + ";\n";
    for (const IndexDeclaration &index : SchemaDeclarations::indexesAt(file, version))
        sql += createIndex(index) + ";\n";
    for (const SchemaStep &step : SchemaDeclarations::steps(file))
        if (step.version <= version)
            for (EngineObject object : step.objects)
                for (const char *statement : objectStatements(object))
                    sql += QByteArray(statement) + ";\n";
    return sql;
}

QByteArray SqliteTableSql::createTable(const TableDeclaration &table)
{
    QByteArray sql =
        "CREATE TABLE IF NOT EXISTS " + SchemaDeclarations::identifier(table.name) + " (";
    for (size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ", " : "") + columnDefinition(table.columns[i]);
    if (table.primaryKey.empty())
        return sql + ')';
    sql += ", PRIMARY KEY (";
    for (size_t i = 0; i < table.primaryKey.size(); ++i)
        sql += (i ? ", " : "") + SchemaDeclarations::identifier(table.primaryKey[i]);
    return sql + ")) WITHOUT ROWID";
}

QByteArray SqliteTableSql::addColumn(const char *table, const ColumnDeclaration &column)
{
    return "ALTER TABLE " + SchemaDeclarations::identifier(table) + " ADD COLUMN " +
           columnDefinition(column);
}

QByteArray SqliteTableSql::createIndex(const IndexDeclaration &index)
{
    QByteArray sql = "CREATE INDEX IF NOT EXISTS " + SchemaDeclarations::identifier(index.name) +
                     " ON " + SchemaDeclarations::identifier(index.table) + " (";
    for (size_t i = 0; i < index.columns.size(); ++i)
        sql += (i ? ", " : "") + SchemaDeclarations::identifier(index.columns[i]);
    return sql + ')';
}

std::vector<const char *> SqliteTableSql::objectStatements(EngineObject object)
{
    switch (object) {
    case EngineObject::MessageTextIndex:
        return {MessageSearchIndex::kCreate};
    }
    return {};
}

QByteArray SqliteTableSql::columnDefinition(const ColumnDeclaration &column)
{
    QByteArray sql = SchemaDeclarations::identifier(column.name) + ' ' + column.type;
    if (std::strlen(column.constraints) > 0)
        sql += ' ' + QByteArray(column.constraints);
    return sql;
}

} // namespace corvane
