#pragma once

#include <QString>
#include <vector>

namespace corvane
{

class Store;

// One row of CARRIERS; id is the table's own ID column, filled by the store.
struct CarrierRow {
    qint64 id = 0;
    QString iata;
    QString icao;
    QString carrier;
};

// The carrier table row by row, for the editor. Failures throw StoreError.
class CarrierTable
{
public:
    explicit CarrierTable(Store &store) : m_store(store) {}

    // Every row, in IATA order.
    std::vector<CarrierRow> all();
    qint64 add(const CarrierRow &row);
    // Whether a row other than exceptId holds the ICAO code (letter case
    // aside, as lookups compare).
    bool icaoTaken(const QString &icao, qint64 exceptId);
    void update(const CarrierRow &row);
    void remove(qint64 id);

private:
    Store &m_store;
};

} // namespace corvane
