#pragma once

#include "AircraftLookup.h"
#include "ReferenceLookup.h"

#include <QString>
#include <optional>

namespace corvane
{

class Store;
class StoreStatement;

// A stored message with what the reference tables say of it.
struct MessageDetailRecord {
    qint64 rowid = 0;
    QString time; // as stored, "YYYY-MM-DD HH:MM:SS"
    QString mode;
    QString registration;
    QString label;
    QString block;
    QString messageNo;
    QString flight;
    QString text;

    QString labelMeaning;
    QString type;         // empty when the aircraft is unknown
    QString operatorName; // empty for "---", an unknown aircraft or operator
    QString route;        // empty when the flight has no route
    bool aircraftKnown = false;
};

// Reads one message by its row id and joins it to the aircraft, operator,
// route and label tables. Statements are prepared once; a row change in the
// grid costs a handful of indexed lookups.
class MessageDetail
{
public:
    // What any label starting with "_" means.
    static constexpr const char *kNoInformation = "No information to transmit";

    explicit MessageDetail(Store &store);
    ~MessageDetail();
    MessageDetail(const MessageDetail &) = delete;
    MessageDetail &operator=(const MessageDetail &) = delete;

    // Empty when the row is gone.
    std::optional<MessageDetailRecord> read(qint64 rowid);
    QString labelMeaning(const QString &label);

private:
    Store &m_store;
    std::unique_ptr<StoreStatement> m_message;
    ReferenceLookup m_reference;
    AircraftLookup m_aircraft;
};

} // namespace corvane
