#include "SchemaDeclarations.h"

#include <algorithm>
#include <cstring>

namespace corvane
{

// How to change a file's schema:
// 1. Rebase first, so no other branch has taken the next version number.
// 2. Append one step with that version to the file's list below, holding the new tables, the
//    columns added to older tables, the new indexes and any statements that change rows already
//    held. Files that do not change need no step; their user_version follows anyway.
// 3. Raise Schema::kCurrentVersion to that version.
// An object each engine builds its own way (a full-text index) is an EngineObject, and rows every
// file must hold are a SchemaFill. The declarations only name them; the compiler warns of a new
// value until SqliteSchema, SqliteTableSql, PgSchema and PgTableSql each handle it.
// Never edit an earlier step: files in use were built from it. A new file gets every step's
// tables, columns and indexes at once; an older file runs the steps above its version, all in one
// transaction. Added columns go at the end of their table and follow the rules of
// ALTER TABLE ADD COLUMN (no PRIMARY KEY or UNIQUE; NOT NULL needs a default).
namespace
{

const char *const kNoCase = ColumnDeclaration::kNoCase;

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
     .fills = {SchemaFill::CountMessages}},
    // The full-text search index over the messages, kept by the recorder and
    // by every deletion; an older file indexes its messages once.
    // A server searches through pg_trgm's trigram indexes instead.
    {.version = 5,
     .objects = {EngineObject::MessageTextIndex},
     .fills = {SchemaFill::IndexMessageTexts}},
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
    {.version = 2, .fills = {SchemaFill::CommonLabelMeanings}},
};

// A name that needs no quotes: letters, digits and underscores.
bool isPlainName(const char *name)
{
    if (!*name || (*name >= '0' && *name <= '9'))
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

QByteArray SchemaDeclarations::identifier(const char *name)
{
    if (isPlainName(name))
        return name;
    return '"' + QByteArray(name).replace('"', "\"\"") + '"';
}

} // namespace corvane
