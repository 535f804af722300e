#include "StoreStatistics.h"

#include "SqliteDb.h"
#include "Store.h"
#include "StoreFigures.h"

#include <QHash>

namespace corvane
{

namespace
{

QString dayKey(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString firstDayOfChart(const QDate &today)
{
    return dayKey(today.addDays(1 - StoreStatistics::kDays));
}

} // namespace

StoreStatistics::Figures StoreStatistics::figures()
{
    StoreFigures counts(m_store);
    Figures f;
    // The kept counts answer at once where counting the message table takes
    // a while on a large store; they always equal that count.
    SqliteStatement total(m_store.acarsLog(),
                          "SELECT coalesce(sum(Messages), 0) FROM MessagesByHour");
    f.messages = total.step() ? total.int64(0) : 0;
    f.heardPairs = counts.heardPairs();
    f.heardAircraft = counts.heardAircraft();
    f.aircraft = counts.aircraft();
    f.carriers = counts.carriers();
    f.firstDay = dayOf(counts.firstMessageTime());
    f.lastDay = dayOf(counts.lastMessageTime());
    return f;
}

QString StoreStatistics::dayOf(const QString &storedTime)
{
    if (storedTime.size() < 10)
        return {};
    return storedTime.mid(8, 2) + '/' + storedTime.mid(5, 2) + '/' + storedTime.left(4);
}

std::vector<StoreStatistics::Count> StoreStatistics::perHour(const QDateTime &now)
{
    std::vector<Count> hours;
    for (int back = kHours - 1; back >= 0; --back)
        hours.push_back({now.addSecs(-3600 * back).toString(QStringLiteral("yyyy-MM-dd HH")), 0});
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT Hour, Messages FROM MessagesByHour WHERE Hour >= ? AND Hour <= ?");
    st.bind(1, hours.front().key);
    st.bind(2, hours.back().key);
    QHash<QString, qint64> found;
    while (st.step())
        found.insert(st.text(0), st.int64(1));
    for (Count &hour : hours) {
        hour.messages = found.value(hour.key);
        hour.key += QStringLiteral(":00");
    }
    return hours;
}

std::vector<StoreStatistics::Count> StoreStatistics::perDay(const QDate &today)
{
    std::vector<Count> days;
    for (int back = kDays - 1; back >= 0; --back)
        days.push_back({dayKey(today.addDays(-back)), 0});
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT substr(Hour, 1, 10), sum(Messages) FROM MessagesByHour "
                       "WHERE Hour >= ? AND Hour < ? GROUP BY 1");
    st.bind(1, days.front().key);
    st.bind(2, dayKey(today.addDays(1)));
    QHash<QString, qint64> found;
    while (st.step())
        found.insert(st.text(0), st.int64(1));
    for (Count &day : days)
        day.messages = found.value(day.key);
    return days;
}

std::vector<StoreStatistics::Count> StoreStatistics::top(const char *sql, const QDate &today)
{
    SqliteStatement st(m_store.acarsLog(), sql);
    st.bind(1, firstDayOfChart(today));
    st.bind(2, dayKey(today));
    st.bind(3, qint64(kTop));
    std::vector<Count> rows;
    while (st.step())
        rows.push_back({st.text(0), st.int64(1)});
    return rows;
}

std::vector<StoreStatistics::Count> StoreStatistics::topLabels(const QDate &today)
{
    return top("SELECT Label, sum(Messages) AS n FROM MessagesByLabel "
               "WHERE Day >= ? AND Day <= ? GROUP BY Label ORDER BY n DESC, Label LIMIT ?",
               today);
}

std::vector<StoreStatistics::Count> StoreStatistics::topOperators(const QDate &today)
{
    // Each registration once, then its operator as the aircraft table has it
    // now (one row, should the table hold the registration twice).
    return top("SELECT o.Carrier, sum(o.n) AS total FROM (SELECT (SELECT a.CARRIER FROM AIRCRAFT a "
               "WHERE a.REGISTRATI = r.Registration AND coalesce(a.CARRIER, '') <> '' LIMIT 1) "
               "AS Carrier, r.n FROM (SELECT Registration, sum(Messages) AS n "
               "FROM MessagesByRegistration WHERE Day >= ? AND Day <= ? "
               "GROUP BY Registration) r) o WHERE o.Carrier IS NOT NULL "
               "GROUP BY o.Carrier COLLATE NOCASE ORDER BY total DESC, o.Carrier LIMIT ?",
               today);
}

} // namespace corvane
