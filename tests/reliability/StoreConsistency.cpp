#include "StoreConsistency.h"

#include "store/SqliteDb.h"
#include "store/StoreError.h"

#include <QFileInfo>
#include <QStringList>

namespace corvane::test
{

namespace
{
QStringList column(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    QStringList out;
    while (st.step())
        out << st.text(0);
    return out;
}

// The registers fold ASCII case as the tables' NOCASE columns do.
const char *const kPairsRecount =
    "SELECT upper(mReg) || '|' || upper(mFlight) || '|' || min(mTime) || '|' || max(mTime) || "
    "'|' || count(*) FROM tMessage GROUP BY upper(mReg), upper(mFlight) ORDER BY 1";
const char *const kPairs = "SELECT upper(Registration) || '|' || upper(Flight) || '|' || "
                           "FirstHeard || '|' || LastHeard || '|' || TimesHeard FROM ACARSLOG "
                           "ORDER BY 1";
const char *const kAircraftRecount =
    "SELECT upper(mReg) || '|' || min(mTime) || '|' || max(mTime) || '|' || count(*) "
    "FROM tMessage GROUP BY upper(mReg) ORDER BY 1";
const char *const kAircraft = "SELECT upper(Registration) || '|' || FirstHeard || '|' || "
                              "LastHeard || '|' || TimesHeard FROM UniqueAircraft ORDER BY 1";

QString firstDifference(const QStringList &want, const QStringList &have)
{
    for (qsizetype i = 0; i < std::max(want.size(), have.size()); ++i) {
        const QString w = i < want.size() ? want[i] : QStringLiteral("(none)");
        const QString h = i < have.size() ? have[i] : QStringLiteral("(none)");
        if (w != h)
            return QStringLiteral("recount %1, register %2").arg(w, h);
    }
    return {};
}
} // namespace

QString StoreConsistency::problems(const QString &dataDir)
{
    try {
        SqliteDb db;
        const QString path = dataDir + QStringLiteral("/acarslog.db");
        if (!QFileInfo::exists(path))
            return {};
        db.open(path); // as the next run would: a half-made change is rolled back
        // Stopped while the store was being made: all of its tables or none.
        if (db.tableNames().isEmpty())
            return {};
        const QStringList check = column(db, "PRAGMA integrity_check");
        if (check != QStringList{QStringLiteral("ok")})
            return QStringLiteral("integrity: ") + check.join(u' ');
        const QString pairs = firstDifference(column(db, kPairsRecount), column(db, kPairs));
        if (!pairs.isEmpty())
            return QStringLiteral("heard pairs: ") + pairs;
        const QString aircraft =
            firstDifference(column(db, kAircraftRecount), column(db, kAircraft));
        if (!aircraft.isEmpty())
            return QStringLiteral("heard aircraft: ") + aircraft;
    } catch (const StoreError &e) {
        return e.message();
    }
    return {};
}

qint64 StoreConsistency::messageCount(const QString &dataDir)
{
    SqliteDb db;
    const QString path = dataDir + QStringLiteral("/acarslog.db");
    if (!QFileInfo::exists(path))
        return 0;
    db.open(path); // as the next run would: a half-made change is rolled back
    if (!db.tableExists(QStringLiteral("tMessage")))
        return 0;
    SqliteStatement st(db, "SELECT count(*) FROM tMessage");
    return st.step() ? st.int64(0) : -1;
}

} // namespace corvane::test
