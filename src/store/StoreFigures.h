#pragma once

#include <QString>

namespace corvane
{

class Store;
class PgConnection;
class DayRange;

// The counts and bounds of what the store holds: the figures of the info
// command, the record counts of the tabs and today's live counts.
class StoreFigures
{
public:
    explicit StoreFigures(Store &store);
    // The same figures of a store on a server.
    explicit StoreFigures(PgConnection &server) : m_server(&server) {}

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
    qint64 countWithin(const char *command, const DayRange &days);

    Store *m_store = nullptr;
    PgConnection *m_server = nullptr;
};

} // namespace corvane
