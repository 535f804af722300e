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
    // The four searched columns as one text, apart by a control character
    // no search text holds, so a piece found in it lies within one column;
    // one trigram index over it names every candidate at once. The search
    // asks for this same expression, or the index would not serve it.
#define CORVANE_SEARCHED_TEXT                                                                      \
    "(coalesce(mText, '') || E'\\x1f' || coalesce(mReg::text, '') || E'\\x1f' || "                 \
    "coalesce(mFlight::text, '') || E'\\x1f' || coalesce(mLabel, ''))"
    static constexpr const char *kSearchedText = CORVANE_SEARCHED_TEXT;
    static constexpr const char *kCreateSearchIndex =
        "CREATE INDEX IF NOT EXISTS idxSearch ON tMessage USING gin (" CORVANE_SEARCHED_TEXT
        " gin_trgm_ops)";
#undef CORVANE_SEARCHED_TEXT

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
