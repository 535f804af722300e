#include "StoreStatistics.h"

#include "AsciiCase.h"
#include "Store.h"
#include "StoreFigures.h"
#include "StoreStatement.h"

#include <QHash>
#include <QSet>
#include <algorithm>

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

// A text column with ASCII letters in upper case: the store compares
// registrations and operator codes that way (NOCASE).
QByteArray foldedColumn(StoreStatement &st, int column)
{
    int size = 0;
    const char *text = st.rawText(column, &size);
    QByteArray folded;
    AsciiCase::appendUpper(folded, text, text ? size : 0);
    return folded;
}

} // namespace

StoreStatistics::Figures StoreStatistics::figures()
{
    StoreFigures counts(m_store);
    Figures f;
    // The kept counts answer at once where counting the message table takes
    // a while on a large store; they always equal that count.
    StoreStatement total(m_store, Schema::File::AcarsLog,
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
    StoreStatement st(m_store, Schema::File::AcarsLog,
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
    StoreStatement st(m_store, Schema::File::AcarsLog,
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
    StoreStatement st(m_store, Schema::File::AcarsLog, sql);
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
    // Summed here rather than by a GROUP BY: sorting some 400,000 day rows of
    // a large store by registration took most of the tab's refresh.
    const QHash<QByteArray, qint64> byRegistration = messagesByRegistration(today);
    struct Operator {
        QString name;
        qint64 messages = 0;
    };
    QHash<QByteArray, Operator> byOperator;
    // Each registration once, with its operator as the aircraft table has it
    // now: the first row, should the table hold the registration twice.
    QSet<QByteArray> seen;
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT REGISTRATI, CARRIER FROM AIRCRAFT "
                      "WHERE coalesce(CARRIER, '') <> '' ORDER BY rowid");
    while (st.step()) {
        const QByteArray reg = foldedColumn(st, 0);
        const auto count = byRegistration.constFind(reg);
        if (count == byRegistration.constEnd() || seen.contains(reg))
            continue;
        seen.insert(reg);
        Operator &o = byOperator[foldedColumn(st, 1)];
        if (o.name.isEmpty())
            o.name = st.text(1);
        o.messages += count.value();
    }
    std::vector<Count> rows;
    for (const Operator &o : std::as_const(byOperator))
        rows.push_back({o.name, o.messages});
    const auto order = [](const Count &a, const Count &b) {
        if (a.messages != b.messages)
            return a.messages > b.messages;
        return a.key.compare(b.key, Qt::CaseInsensitive) < 0;
    };
    const size_t kept = std::min(rows.size(), size_t(kTop));
    std::partial_sort(rows.begin(), rows.begin() + ptrdiff_t(kept), rows.end(), order);
    rows.resize(kept);
    return rows;
}

QHash<QByteArray, qint64> StoreStatistics::messagesByRegistration(const QDate &today)
{
    QHash<QByteArray, qint64> counts;
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT Registration, Messages FROM MessagesByRegistration "
                      "WHERE Day >= ? AND Day <= ?");
    st.bind(1, firstDayOfChart(today));
    st.bind(2, dayKey(today));
    // Read without a copy per row: a large store has some 400,000 day rows
    // in the chart's days but only tens of thousands of registrations.
    char folded[64];
    while (st.step()) {
        int size = 0;
        const char *text = st.rawText(0, &size);
        const qint64 messages = st.int64(1);
        if (!text || size > int(sizeof folded)) {
            counts[foldedColumn(st, 0)] += messages;
            continue;
        }
        for (int i = 0; i < size; ++i)
            folded[i] = AsciiCase::upper(text[i]);
        const QByteArray key = QByteArray::fromRawData(folded, size);
        const auto found = counts.find(key);
        if (found != counts.end())
            *found += messages;
        else
            counts.insert(QByteArray(folded, size), messages);
    }
    return counts;
}

} // namespace corvane
