#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane
{

class DayRange;
class Store;

// The registrations the store has heard, as the text reports list them.
class HeardRegistrations
{
public:
    // A heard aircraft and whether the aircraft table knows it.
    struct Match {
        QString registration;
        bool known = false;
    };

    explicit HeardRegistrations(Store &store) : m_store(store) {}

    // Every registration with a message in the days, once, in alphabetical
    // order. Messages without a registration name none.
    QStringList inDays(const DayRange &days);
    // Every heard aircraft in the order it was first recorded.
    QList<Match> matchedWithAircraft();

private:
    Store &m_store;
};

} // namespace corvane
