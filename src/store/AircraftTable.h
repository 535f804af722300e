#pragma once

#include <QString>
#include <vector>

namespace corvane
{

class Store;

// One row of AIRCRAFT as the aircraft editor shows it; id is the row's own.
struct AircraftRow {
    qint64 id = 0;
    QString registration;
    QString carrier;
    QString type;
    QString serial;
    bool heard = false;
};

// The aircraft table row by row, for the editor, and emptied whole. Each
// write is one statement: a refused row leaves nothing behind. Failures
// throw StoreError.
class AircraftTable
{
public:
    explicit AircraftTable(Store &store) : m_store(store) {}

    // Every row, in registration order.
    std::vector<AircraftRow> all();
    // Returns the new row's id.
    qint64 add(const AircraftRow &row);
    // Whether a row other than exceptId holds the registration (letter case
    // aside, as lookups compare).
    bool registrationTaken(const QString &registration, qint64 exceptId);
    void update(const AircraftRow &row);
    void remove(qint64 id);
    // Joins the transaction open on the message database, if any.
    void removeAll();

private:
    Store &m_store;
};

} // namespace corvane
