#include "RouteTable.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

std::vector<RouteRow> RouteTable::all()
{
    StoreStatement st(m_store, Schema::File::Routes,
                      "SELECT rowid, FLIGHT, ROUTE FROM ROUTES ORDER BY rowid");
    std::vector<RouteRow> rows;
    while (st.step())
        rows.push_back({st.int64(0), st.text(1), st.text(2)});
    return rows;
}

qint64 RouteTable::add(const RouteRow &row)
{
    StoreStatement st(m_store, Schema::File::Routes,
                      "INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES (?, ?)");
    st.bind(1, row.flight);
    st.bind(2, row.route);
    return st.insert("rowid");
}

bool RouteTable::flightTaken(const QString &flight, qint64 exceptId)
{
    StoreStatement st(m_store, Schema::File::Routes,
                      "SELECT 1 FROM ROUTES WHERE FLIGHT = ? AND rowid <> ? LIMIT 1");
    st.bind(1, flight);
    st.bind(2, exceptId);
    return st.step();
}

void RouteTable::update(const RouteRow &row)
{
    StoreStatement st(m_store, Schema::File::Routes,
                      "UPDATE ROUTES SET FLIGHT = ?, ROUTE = ? WHERE rowid = ?");
    st.bind(1, row.flight);
    st.bind(2, row.route);
    st.bind(3, row.id);
    st.run();
}

void RouteTable::remove(qint64 id)
{
    StoreStatement st(m_store, Schema::File::Routes, "DELETE FROM ROUTES WHERE rowid = ?");
    st.bind(1, id);
    st.run();
}

void RouteTable::removeAll()
{
    StoreStatement(m_store, Schema::File::Routes, "DELETE FROM ROUTES").run();
}

} // namespace corvane
