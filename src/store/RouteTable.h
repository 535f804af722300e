#pragma once

#include <QString>
#include <vector>

namespace corvane
{

class Store;

// One row of ROUTES; id is the row's own.
struct RouteRow {
    qint64 id = 0;
    QString flight;
    QString route;
};

// The route table row by row, for the editor, and emptied whole. Failures
// throw StoreError.
class RouteTable
{
public:
    explicit RouteTable(Store &store) : m_store(store) {}

    // Every row, in the order they were added.
    std::vector<RouteRow> all();
    qint64 add(const RouteRow &row);
    // Whether a row other than exceptId holds the flight (letter case aside,
    // as lookups compare).
    bool flightTaken(const QString &flight, qint64 exceptId);
    void update(const RouteRow &row);
    void remove(qint64 id);
    // Joins the transaction open on the routes database, if any.
    void removeAll();

private:
    Store &m_store;
};

} // namespace corvane
