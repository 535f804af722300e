#include "NamedCommands.h"

#include "DayRange.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

#include <array>

namespace corvane
{

namespace
{

using F = Schema::File;

// name, file, writable, action, parameters, SQLite text
const std::array<NamedCommands::Command, 20> kCommands = {{
    // SELECT * FROM ACARSLOG ORDER BY REGISTRATION
    {"ALL", F::AcarsLog, true, false, 0, "SELECT * FROM ACARSLOG ORDER BY Registration"},
    // select * from acarslog where registration=? and flight=?
    {"checkUnprocessed", F::AcarsLog, true, false, 2,
     "SELECT * FROM ACARSLOG WHERE Registration = ?1 AND Flight = ?2"},
    // SELECT * FROM LOGSPROCESSED WHERE FILENAME = ?
    {"LogsProcessed", F::AcarsLog, true, false, 1,
     "SELECT * FROM LOGSPROCESSED WHERE FileName = ?1"},
    // SELECT * FROM TMESSAGE ORDER BY MTIME
    {"tMessage", F::AcarsLog, true, false, 0,
     "SELECT mTime, mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mFileName, mType "
     "FROM tMessage ORDER BY mTime"},
    // SELECT DISTINCT(MREG) FROM TMESSAGE
    {"DistinctRegistrations", F::AcarsLog, false, false, 0,
     "SELECT DISTINCT mReg FROM tMessage ORDER BY mReg"},
    // SELECT DISTINCT MFLIGHT FROM TMESSAGE
    {"DistinctFlights", F::AcarsLog, false, false, 0,
     "SELECT DISTINCT mFlight FROM tMessage ORDER BY mFlight"},
    // SELECT * FROM AIRCRAFT ORDER BY REGISTRATI
    {"AllAircraft", F::AcarsLog, true, false, 0, "SELECT * FROM AIRCRAFT ORDER BY REGISTRATI"},
    // SELECT * FROM CARRIERS ORDER BY IATA
    {"AllCarriers", F::AcarsLog, true, false, 0, "SELECT * FROM CARRIERS ORDER BY IATA"},
    // SELECT * FROM UniqueAircraft WHERE registration = ?
    {"UniqueAircraft", F::AcarsLog, true, false, 1,
     "SELECT * FROM UniqueAircraft WHERE Registration = ?1"},
    // SELECT * FROM AIRCRAFT WHERE CARRIER = ?
    {"AircraftByCarrier", F::AcarsLog, false, false, 1,
     "SELECT * FROM AIRCRAFT WHERE CARRIER = ?1"},
    // SELECT * FROM CARRIERS WHERE ICAO <> "---" ORDER BY IATA
    {"AllCarriersExceptBiz", F::AcarsLog, false, false, 0,
     "SELECT * FROM CARRIERS WHERE ICAO <> '---' ORDER BY IATA"},
    // UPDATE Aircraft SET `Heard?` = false
    {"SetAllHeardToNone", F::AcarsLog, false, true, 0, "UPDATE AIRCRAFT SET \"Heard?\" = 0"},
    // UPDATE Aircraft SET `Heard?` = true WHERE registrati IN (SELECT mreg FROM tmessage)
    {"UpdateHeard", F::AcarsLog, false, true, 0,
     "UPDATE AIRCRAFT SET \"Heard?\" = 1 WHERE coalesce(\"Heard?\", 0) = 0 "
     "AND EXISTS (SELECT 1 FROM tMessage WHERE tMessage.mReg = AIRCRAFT.REGISTRATI)"},
    // select * from uniqueaircraft
    {"AllUniqueAircraft", F::AcarsLog, false, false, 0, "SELECT * FROM UniqueAircraft"},
    // MTIME > Format(now, 'dd/mm/yyyy') AND MTIME < Format(now + 1,'dd/mm/yyyy'),
    // counted as one day: the first midnight included, the next excluded
    {"Today", F::AcarsLog, false, false, 0,
     "SELECT count(*) FROM tMessage WHERE mTime >= ?1 AND mTime < ?2"},
    // lastheard within the same day
    {"TodayAll", F::AcarsLog, false, false, 0,
     "SELECT count(*) FROM UniqueAircraft WHERE LastHeard >= ?1 AND LastHeard < ?2"},
    // SELECT * FROM ROUTES WHERE FLIGHT = ?
    {"Route", F::Routes, false, false, 1, "SELECT * FROM ROUTES WHERE FLIGHT = ?1"},
    // SELECT * FROM ROUTES
    {"AllRoutes", F::Routes, true, false, 0, "SELECT * FROM ROUTES"},
    // SELECT DATETIME,ALERT,MESSAGE FROM ALERTS
    {"AllAlerts", F::Alerts, true, false, 0, "SELECT DATETIME, ALERT, MESSAGE FROM ALERTS"},
    // SELECT MESSAGE FROM LABELS WHERE CODE = ?
    {"AllLabels", F::Alerts, false, false, 1, "SELECT MESSAGE FROM LABELS WHERE CODE = ?1"},
}};

bool isDayCount(const NamedCommands::Command &c)
{
    return qstrcmp(c.name, "Today") == 0 || qstrcmp(c.name, "TodayAll") == 0;
}

} // namespace

QVariant QueryRows::value(qsizetype row, const QString &column) const
{
    const qsizetype c = columns.indexOf(column, 0);
    if (c >= 0)
        return rows.at(size_t(row)).at(c);
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return rows.at(size_t(row)).at(i);
    return {};
}

const NamedCommands::Command *NamedCommands::find(const QString &name)
{
    for (const Command &c : kCommands)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QStringList NamedCommands::names()
{
    QStringList list;
    for (const Command &c : kCommands)
        list << QLatin1String(c.name);
    return list;
}

QueryRows NamedCommands::run(const QString &name, const QStringList &parameters, const QDate &today)
{
    const Command *c = find(name);
    if (!c)
        throw StoreError(QStringLiteral("Unknown command %1").arg(name));
    if (parameters.size() != c->parameters)
        throw StoreError(
            QStringLiteral("Command %1 takes %2 parameters").arg(name).arg(c->parameters));
    SqliteDb &db = m_store.db(c->file);
    SqliteStatement st(db, c->sql);
    if (isDayCount(*c)) {
        const DayRange day = DayRange::day(today);
        st.bind(1, day.startText());
        st.bind(2, day.endText());
    }
    for (int i = 0; i < parameters.size(); ++i)
        st.bind(i + 1, parameters[i]);
    QueryRows result;
    for (int i = 0; i < st.columnCount(); ++i)
        result.columns << st.columnName(i);
    while (st.step()) {
        QVariantList row;
        row.reserve(result.columns.size());
        for (int i = 0; i < result.columns.size(); ++i)
            row << st.value(i);
        result.rows.push_back(std::move(row));
    }
    return result;
}

qint64 NamedCommands::count(const QString &name, const QDate &today)
{
    const QueryRows rows = run(name, {}, today);
    return rows.rows.empty() ? 0 : rows.rows.front().value(0).toLongLong();
}

} // namespace corvane
