#include "Schema.h"

#include "SqliteDb.h"
#include "StoreError.h"

#include <QFile>
#include <QStringList>

namespace corvane
{

namespace
{

// Text keys compare without regard to case, as the named commands expect.
const char *const kAcarsLogTables = R"sql(
CREATE TABLE tMessage (
    mTime TEXT, mMode TEXT, mReg TEXT COLLATE NOCASE, mLabel TEXT, mBlk TEXT, mNo TEXT,
    mFlight TEXT COLLATE NOCASE, mText TEXT, mFileName TEXT, mType TEXT);
CREATE TABLE ACARSLOG (
    Registration TEXT COLLATE NOCASE, Flight TEXT COLLATE NOCASE,
    FirstHeard TEXT, LastHeard TEXT, TimesHeard INTEGER);
CREATE TABLE UniqueAircraft (
    Registration TEXT COLLATE NOCASE, FirstHeard TEXT, LastHeard TEXT, TimesHeard INTEGER);
CREATE TABLE LOGSPROCESSED (FileName TEXT);
CREATE TABLE AIRCRAFT (
    REGISTRATI TEXT COLLATE NOCASE, TYPE TEXT, CARRIER TEXT COLLATE NOCASE, CN TEXT,
    "Heard?" INTEGER NOT NULL DEFAULT 0);
CREATE TABLE CARRIERS (
    ID INTEGER PRIMARY KEY, ICAO TEXT COLLATE NOCASE, IATA TEXT, CARRIER TEXT);
CREATE INDEX idxMessageTime ON tMessage (mTime);
CREATE INDEX idxMessageReg ON tMessage (mReg, mTime);
CREATE INDEX idxMessageFlight ON tMessage (mFlight, mTime);
CREATE INDEX idxPairKey ON ACARSLOG (Registration, Flight);
CREATE INDEX idxHeardAircraftReg ON UniqueAircraft (Registration);
CREATE INDEX idxAircraftReg ON AIRCRAFT (REGISTRATI);
CREATE INDEX idxAircraftCarrier ON AIRCRAFT (CARRIER);
CREATE INDEX idxCarrierIcao ON CARRIERS (ICAO);
)sql";

const char *const kRoutesTables = R"sql(
CREATE TABLE ROUTES (FLIGHT TEXT COLLATE NOCASE, ROUTE TEXT);
CREATE INDEX idxRouteFlight ON ROUTES (FLIGHT);
)sql";

const char *const kAlertsTables = R"sql(
CREATE TABLE ALERTS (DATETIME TEXT, ALERT TEXT, MESSAGE TEXT);
CREATE TABLE LABELS (CODE TEXT COLLATE NOCASE, MESSAGE TEXT);
CREATE INDEX idxLabelCode ON LABELS (CODE);
)sql";

struct TableSpec {
    const char *name;
    QStringList columns;
};

QList<TableSpec> expectedTables(Schema::File file)
{
    switch (file) {
    case Schema::File::AcarsLog:
        return {{"tMessage",
                 {"mTime", "mMode", "mReg", "mLabel", "mBlk", "mNo", "mFlight", "mText",
                  "mFileName", "mType"}},
                {"ACARSLOG", {"Registration", "Flight", "FirstHeard", "LastHeard", "TimesHeard"}},
                {"UniqueAircraft", {"Registration", "FirstHeard", "LastHeard", "TimesHeard"}},
                {"LOGSPROCESSED", {"FileName"}},
                {"AIRCRAFT", {"REGISTRATI", "TYPE", "CARRIER", "CN", "Heard?"}},
                {"CARRIERS", {"ID", "ICAO", "IATA", "CARRIER"}}};
    case Schema::File::Routes:
        return {{"ROUTES", {"FLIGHT", "ROUTE"}}};
    case Schema::File::Alerts:
        return {{"ALERTS", {"DATETIME", "ALERT", "MESSAGE"}}, {"LABELS", {"CODE", "MESSAGE"}}};
    }
    return {};
}

const char *tablesSql(Schema::File file)
{
    switch (file) {
    case Schema::File::AcarsLog:
        return kAcarsLogTables;
    case Schema::File::Routes:
        return kRoutesTables;
    case Schema::File::Alerts:
        return kAlertsTables;
    }
    return "";
}

} // namespace

QString Schema::fileName(File file)
{
    switch (file) {
    case File::AcarsLog:
        return QStringLiteral("acarslog.db");
    case File::Routes:
        return QStringLiteral("routes.db");
    case File::Alerts:
        return QStringLiteral("Alerts.db");
    }
    return {};
}

void Schema::checkIsSqliteFile(const QString &path)
{
    QFile f(path);
    if (!f.exists() || f.size() == 0)
        return;
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(path, f.errorString()));
    static const QByteArray magic("SQLite format 3\0", 16);
    if (f.read(16) != magic)
        throw StoreError(
            QStringLiteral("%1 is not an ACARS Corvane database; it was left as it is.").arg(path));
}

bool Schema::hasExpectedTables(SqliteDb &db, File file)
{
    for (const TableSpec &table : expectedTables(file)) {
        const QStringList have = db.columnsOf(QString::fromLatin1(table.name));
        for (const QString &column : table.columns)
            if (!have.contains(column, Qt::CaseInsensitive))
                return false;
    }
    return true;
}

void Schema::ensure(SqliteDb &db, File file)
{
    const int version = db.userVersion();
    if (version > kCurrentVersion)
        throw StoreError(
            QStringLiteral("%1 was written by a newer version of ACARS Corvane (schema %2).")
                .arg(db.path())
                .arg(version));
    if (version == 0) {
        if (db.tableNames().isEmpty())
            create(db, file);
        else if (!hasExpectedTables(db, file))
            throw StoreError(
                QStringLiteral("%1 is not an ACARS Corvane database; it was left as it is.")
                    .arg(db.path()));
        else
            upgrade(db, file, 0);
    } else if (version < kCurrentVersion) {
        upgrade(db, file, version);
    } else if (!hasExpectedTables(db, file)) {
        throw StoreError(
            QStringLiteral("%1 is missing tables or columns of ACARS Corvane.").arg(db.path()));
    }
    db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA synchronous = NORMAL");
    db.exec("PRAGMA cache_size = -65536");
    db.exec("PRAGMA wal_autocheckpoint = 8192");
}

void Schema::create(SqliteDb &db, File file)
{
    // Larger pages keep the message indexes shallow; only a new file takes it.
    db.exec("PRAGMA page_size = 16384");
    SqliteTransaction tx(db);
    db.exec(tablesSql(file));
    db.setUserVersion(kCurrentVersion);
    tx.commit();
}

void Schema::upgrade(SqliteDb &db, File file, int fromVersion)
{
    SqliteTransaction tx(db);
    if (fromVersion < 1) {
        // A file with our tables but no schema version: adopt it and add the
        // indexes the browsing needs.
        const char *indexes =
            file == File::AcarsLog
                ? "CREATE INDEX IF NOT EXISTS idxMessageTime ON tMessage (mTime);"
                  "CREATE INDEX IF NOT EXISTS idxMessageReg ON tMessage (mReg, mTime);"
                  "CREATE INDEX IF NOT EXISTS idxMessageFlight ON tMessage (mFlight, mTime);"
                  "CREATE INDEX IF NOT EXISTS idxPairKey ON ACARSLOG (Registration, Flight);"
                  "CREATE INDEX IF NOT EXISTS idxHeardAircraftReg ON UniqueAircraft (Registration);"
                  "CREATE INDEX IF NOT EXISTS idxAircraftReg ON AIRCRAFT (REGISTRATI);"
            : file == File::Routes ? "CREATE INDEX IF NOT EXISTS idxRouteFlight ON ROUTES (FLIGHT);"
                                   : "CREATE INDEX IF NOT EXISTS idxLabelCode ON LABELS (CODE);";
        db.exec(indexes);
    }
    db.setUserVersion(kCurrentVersion);
    tx.commit();
}

} // namespace corvane
