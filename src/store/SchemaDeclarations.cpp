#include "SchemaDeclarations.h"

#include "LabelMeanings.h"
#include "MessageCounts.h"
#include "MessageSearchIndex.h"
#include "ServerSearch.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace corvane
{

// How to change a file's schema:
// 1. Rebase first, so no other branch has taken the next version number.
// 2. Append one step with that version to the file's list below, holding the new tables, the
//    columns added to older tables, the new indexes and any statements that change rows already
//    held. Files that do not change need no step; their user_version follows anyway.
// 3. Raise Schema::kCurrentVersion to that version.
// Never edit an earlier step: files in use were built from it. A new file gets every step's
// tables, columns and indexes at once; an older file runs the steps above its version, all in one
// transaction. Added columns go at the end of their table and follow the rules of
// ALTER TABLE ADD COLUMN (no PRIMARY KEY or UNIQUE; NOT NULL needs a default).
namespace
{

const char *const kNoCase = "COLLATE NOCASE";

const std::vector<SchemaStep> kAcarsLog = {
    {.version = 0,
     // Text keys compare without regard to case, as the named commands expect.
     .tables = {{"tMessage",
                 {{"mTime", "TEXT"},
                  {"mMode", "TEXT"},
                  {"mReg", "TEXT", kNoCase},
                  {"mLabel", "TEXT"},
                  {"mBlk", "TEXT"},
                  {"mNo", "TEXT"},
                  {"mFlight", "TEXT", kNoCase},
                  {"mText", "TEXT"},
                  {"mFileName", "TEXT"},
                  {"mType", "TEXT"}}},
                {"ACARSLOG",
                 {{"Registration", "TEXT", kNoCase},
                  {"Flight", "TEXT", kNoCase},
                  {"FirstHeard", "TEXT"},
                  {"LastHeard", "TEXT"},
                  {"TimesHeard", "INTEGER"}},
                 {},
                 true},
                {"UniqueAircraft",
                 {{"Registration", "TEXT", kNoCase},
                  {"FirstHeard", "TEXT"},
                  {"LastHeard", "TEXT"},
                  {"TimesHeard", "INTEGER"}},
                 {},
                 true},
                {"LOGSPROCESSED", {{"FileName", "TEXT"}}},
                {"AIRCRAFT",
                 {{"REGISTRATI", "TEXT", kNoCase},
                  {"TYPE", "TEXT"},
                  {"CARRIER", "TEXT", kNoCase},
                  {"CN", "TEXT"},
                  {"Heard?", "INTEGER", "NOT NULL DEFAULT 0"}}},
                {"CARRIERS",
                 {{"ID", "INTEGER", "PRIMARY KEY"},
                  {"ICAO", "TEXT", kNoCase},
                  {"IATA", "TEXT"},
                  {"CARRIER", "TEXT"}}}}},
    {.version = 1,
     .indexes = {{"idxMessageTime", "tMessage", {"mTime"}},
                 {"idxMessageReg", "tMessage", {"mReg", "mTime"}},
                 {"idxMessageFlight", "tMessage", {"mFlight", "mTime"}},
                 {"idxPairKey", "ACARSLOG", {"Registration", "Flight"}, OnServer::Unique},
                 {"idxHeardAircraftReg", "UniqueAircraft", {"Registration"}, OnServer::Unique},
                 {"idxAircraftReg", "AIRCRAFT", {"REGISTRATI"}},
                 {"idxAircraftCarrier", "AIRCRAFT", {"CARRIER"}},
                 {"idxCarrierIcao", "CARRIERS", {"ICAO"}}}},
    // The heard-pair grid pages through every order a header click asks for.
    {.version = 2,
     .indexes = {{"idxPairFlight", "ACARSLOG", {"Flight"}},
                 {"idxPairFirst", "ACARSLOG", {"FirstHeard"}, OnServer::Absent},
                 {"idxPairLast", "ACARSLOG", {"LastHeard"}, OnServer::Absent},
                 {"idxPairTimes", "ACARSLOG", {"TimesHeard"}, OnServer::Absent}}},
    // What the network decoders tell beyond the message's columns, one row per
    // message, keyed by the message's rowid.
    {.version = 3,
     .tables = {{"FeedDetails",
                 {{"MessageId", "INTEGER", "PRIMARY KEY"},
                  {"Decoder", "TEXT"},
                  {"Station", "TEXT"},
                  {"Frequency", "REAL"},
                  {"SignalLevel", "REAL"}}}}},
    // Message counts for the traffic charts, kept by the recorder and by every
    // deletion; an older file counts its messages once.
    {.version = 4,
     .tables = {{"MessagesByHour", {{"Hour", "TEXT"}, {"Messages", "INTEGER"}}, {"Hour"}, true},
                {"MessagesByLabel",
                 {{"Day", "TEXT"}, {"Label", "TEXT"}, {"Messages", "INTEGER"}},
                 {"Day", "Label"},
                 true},
                {"MessagesByRegistration",
                 {{"Day", "TEXT"}, {"Registration", "TEXT", kNoCase}, {"Messages", "INTEGER"}},
                 {"Day", "Registration"},
                 true}},
     .fills = {[](SqliteDb &db, const SchemaProgress &progress) {
         if (progress)
             progress(QStringLiteral("Counting the messages for the charts..."));
         MessageCounts::recount(db);
     }}},
    // The full-text search index over the messages, kept by the recorder and
    // by every deletion; an older file indexes its messages once.
    // A server searches through pg_trgm's trigram indexes instead.
    {.version = 5,
     .virtualTables = {MessageSearchIndex::kCreate},
     .serverStatements = {"CREATE EXTENSION IF NOT EXISTS pg_trgm", ServerSearch::kCreateIndex},
     .fills = {&MessageSearchIndex::fill}},
    // How far an import that stopped part-way read its log, so that the next
    // import of it goes on from there; empty for a log read to its end.
    {.version = 6, .columns = {{"LOGSPROCESSED", {"RecordsRead", "INTEGER"}}}},
};

const std::vector<SchemaStep> kRoutes = {
    {.version = 0, .tables = {{"ROUTES", {{"FLIGHT", "TEXT", kNoCase}, {"ROUTE", "TEXT"}}}}},
    {.version = 1, .indexes = {{"idxRouteFlight", "ROUTES", {"FLIGHT"}}}},
};

const std::vector<SchemaStep> kAlerts = {
    {.version = 0,
     .tables = {{"ALERTS", {{"DATETIME", "TEXT"}, {"ALERT", "TEXT"}, {"MESSAGE", "TEXT"}}},
                {"LABELS", {{"CODE", "TEXT", kNoCase}, {"MESSAGE", "TEXT"}}}}},
    {.version = 1, .indexes = {{"idxLabelCode", "LABELS", {"CODE"}}}},
    {.version = 2,
     .fills = {[](SqliteDb &db, const SchemaProgress &) { LabelMeanings::fillWhenEmpty(db); }}},
};

// A name that needs no quotes: letters, digits and underscores, not a keyword.
bool isPlainName(const char *name)
{
    if (!*name || (*name >= '0' && *name <= '9'))
        return false;
    if (sqlite3_keyword_check(name, int(std::strlen(name))))
        return false;
    for (const char *c = name; *c; ++c)
        if (!((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') ||
              *c == '_'))
            return false;
    return true;
}

bool sameName(const char *a, const char *b)
{
    return QByteArray(a).compare(QByteArray(b), Qt::CaseInsensitive) == 0;
}

} // namespace

const std::vector<SchemaStep> &SchemaDeclarations::steps(Schema::File file)
{
    switch (file) {
    case Schema::File::Routes:
        return kRoutes;
    case Schema::File::Alerts:
        return kAlerts;
    case Schema::File::AcarsLog:
        break;
    }
    return kAcarsLog;
}

std::vector<TableDeclaration> SchemaDeclarations::tablesAt(Schema::File file, int version)
{
    std::vector<TableDeclaration> tables;
    for (const SchemaStep &step : steps(file)) {
        if (step.version > version)
            break;
        tables.insert(tables.end(), step.tables.begin(), step.tables.end());
        for (const AddedColumn &added : step.columns) {
            const auto table = std::find_if(tables.begin(), tables.end(), [&](const auto &t) {
                return sameName(t.name, added.table);
            });
            if (table != tables.end())
                table->columns.push_back(added.column);
        }
    }
    return tables;
}

std::vector<IndexDeclaration> SchemaDeclarations::indexesAt(Schema::File file, int version)
{
    std::vector<IndexDeclaration> indexes;
    for (const SchemaStep &step : steps(file))
        if (step.version <= version)
            indexes.insert(indexes.end(), step.indexes.begin(), step.indexes.end());
    return indexes;
}

QByteArray SchemaDeclarations::createStatements(Schema::File file, int version)
{
    QByteArray sql;
    for (const TableDeclaration &table : tablesAt(file, version))
        sql += createTable(table) + ";\n";
    for (const IndexDeclaration &index : indexesAt(file, version))
        sql += createIndex(index) + ";\n";
    for (const SchemaStep &step : steps(file))
        if (step.version <= version)
            for (const char *statement : step.virtualTables)
                sql += QByteArray(statement) + ";\n";
    return sql;
}

QByteArray SchemaDeclarations::createTable(const TableDeclaration &table, SqlDialect dialect)
{
    const bool server = dialect == SqlDialect::Postgres;
    QByteArray sql = "CREATE TABLE IF NOT EXISTS " + identifier(table.name) + " (";
    if (server && hasImplicitRowId(table))
        sql += "rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, ";
    for (size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ", " : "") + columnDefinition(table.columns[i], dialect);
    const QByteArray room = server && table.updatedInPlace ? " WITH (fillfactor = 70)" : "";
    if (table.primaryKey.empty())
        return sql + ')' + room;
    sql += ", PRIMARY KEY (";
    for (size_t i = 0; i < table.primaryKey.size(); ++i)
        sql += (i ? ", " : "") + identifier(table.primaryKey[i]);
    return sql + (server ? "))" + room : ")) WITHOUT ROWID");
}

QByteArray SchemaDeclarations::addColumn(const char *table, const ColumnDeclaration &column,
                                         SqlDialect dialect)
{
    return "ALTER TABLE " + identifier(table) + " ADD COLUMN " + columnDefinition(column, dialect);
}

bool SchemaDeclarations::hasImplicitRowId(const TableDeclaration &table)
{
    return table.primaryKey.empty() &&
           std::none_of(table.columns.begin(), table.columns.end(), &isIntegerKey);
}

bool SchemaDeclarations::isIntegerKey(const ColumnDeclaration &column)
{
    return std::strcmp(column.type, "INTEGER") == 0 &&
           QByteArray(column.constraints).contains("PRIMARY KEY");
}

QByteArray SchemaDeclarations::createIndex(const IndexDeclaration &index, SqlDialect dialect)
{
    const bool unique = dialect == SqlDialect::Postgres && index.onServer == OnServer::Unique;
    QByteArray sql = QByteArray(unique ? "CREATE UNIQUE INDEX" : "CREATE INDEX") +
                     " IF NOT EXISTS " + identifier(index.name) + " ON " + identifier(index.table) +
                     " (";
    for (size_t i = 0; i < index.columns.size(); ++i)
        sql += (i ? ", " : "") + identifier(index.columns[i]);
    return sql + ')';
}

QByteArray SchemaDeclarations::columnDefinition(const ColumnDeclaration &column, SqlDialect dialect)
{
    if (dialect == SqlDialect::Postgres)
        return serverColumnDefinition(column);
    QByteArray sql = identifier(column.name) + ' ' + column.type;
    if (std::strlen(column.constraints) > 0)
        sql += ' ' + QByteArray(column.constraints);
    return sql;
}

// The one place the server's types are chosen: 64-bit integers, exact
// doubles, and citext for the keys SQLite compares without regard to case,
// so the same statements compare the same way on both engines.
QByteArray SchemaDeclarations::serverColumnDefinition(const ColumnDeclaration &column)
{
    const QByteArray constraints = column.constraints;
    if (isIntegerKey(column))
        return identifier(column.name) + " bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    QByteArray type = "text";
    if (std::strcmp(column.type, "INTEGER") == 0)
        type = "bigint";
    else if (std::strcmp(column.type, "REAL") == 0)
        type = "double precision";
    else if (constraints == kNoCase)
        type = "citext";
    QByteArray sql = identifier(column.name) + ' ' + type;
    if (!constraints.isEmpty() && constraints != kNoCase)
        sql += ' ' + constraints;
    return sql;
}

QByteArray SchemaDeclarations::identifier(const char *name)
{
    if (isPlainName(name))
        return name;
    return '"' + QByteArray(name).replace('"', "\"\"") + '"';
}

} // namespace corvane
