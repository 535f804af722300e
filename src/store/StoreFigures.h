#pragma once

#include <QString>

namespace corvane
{

class Store;
class DayRange;

// The counts and bounds of what the store holds: the figures of the info
// command, the record counts of the tabs and today's live counts.
class StoreFigures
{
public:
    explicit StoreFigures(Store &store) : m_store(store) {}

    qint64 messages();
    qint64 heardPairs();
    qint64 heardAircraft();
    qint64 aircraft();
    qint64 carriers();
    // Stored time text of the oldest and newest message; empty when none.
    QString firstMessageTime();
    QString lastMessageTime();

    // Messages stamped within the days.
    qint64 messagesWithin(const DayRange &days);
    // Heard aircraft whose last hearing falls within the days.
    qint64 aircraftLastHeardWithin(const DayRange &days);

private:
    qint64 count(const char *sql);
    QString text(const char *sql);

    Store &m_store;
};

} // namespace corvane
