#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

namespace corvane
{

class Store;

// The figures of the statistics tab and of `corvane stats`, and the counts of
// the traffic charts. The charts read only the counts kept beside the
// messages, never the messages themselves.
class StoreStatistics
{
public:
    struct Figures {
        qint64 messages = 0;
        qint64 heardPairs = 0;
        qint64 heardAircraft = 0;
        qint64 aircraft = 0;
        qint64 carriers = 0;
        QString firstDay; // "dd/mm/yyyy"; empty when there are no messages
        QString lastDay;
    };
    // One bar of a chart: the hour, day, label or operator, and its messages.
    struct Count {
        QString key;
        qint64 messages = 0;
    };

    static constexpr int kHours = 24;
    static constexpr int kDays = 30;
    static constexpr int kTop = 10;

    explicit StoreStatistics(Store &store) : m_store(store) {}

    Figures figures();
    // The last kHours hours up to the one of `now`, oldest first, each
    // "YYYY-MM-DD HH:00", with the hours without messages.
    std::vector<Count> perHour(const QDateTime &now);
    // The last kDays days up to `today` included, oldest first, each "YYYY-MM-DD".
    std::vector<Count> perDay(const QDate &today);
    // The kTop labels and operators (the aircraft's carrier code) most heard in
    // the same days, most frequent first; aircraft without an operator are left out.
    std::vector<Count> topLabels(const QDate &today);
    std::vector<Count> topOperators(const QDate &today);

    // "dd/mm/yyyy" of a stored time; empty for none.
    static QString dayOf(const QString &storedTime);

private:
    std::vector<Count> top(const char *sql, const QDate &today);
    // Each registration's messages in the chart's days, keyed in upper case.
    QHash<QByteArray, qint64> messagesByRegistration(const QDate &today);

    Store &m_store;
};

} // namespace corvane
