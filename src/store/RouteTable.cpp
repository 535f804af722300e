#include "RouteTable.h"

#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

std::vector<RouteRow> RouteTable::all()
{
    SqliteStatement st(m_store.routes(), "SELECT rowid, FLIGHT, ROUTE FROM ROUTES ORDER BY rowid");
    std::vector<RouteRow> rows;
    while (st.step())
        rows.push_back({st.int64(0), st.text(1), st.text(2)});
    return rows;
}

qint64 RouteTable::add(const RouteRow &row)
{
    SqliteDb &db = m_store.routes();
    SqliteStatement st(db, "INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES (?, ?)");
    st.bind(1, row.flight);
    st.bind(2, row.route);
    st.run();
    return db.lastInsertRowId();
}

void RouteTable::update(const RouteRow &row)
{
    SqliteStatement st(m_store.routes(), "UPDATE ROUTES SET FLIGHT = ?, ROUTE = ? WHERE rowid = ?");
    st.bind(1, row.flight);
    st.bind(2, row.route);
    st.bind(3, row.id);
    st.run();
}

void RouteTable::remove(qint64 id)
{
    SqliteStatement st(m_store.routes(), "DELETE FROM ROUTES WHERE rowid = ?");
    st.bind(1, id);
    st.run();
}

void RouteTable::removeAll()
{
    m_store.routes().exec("DELETE FROM ROUTES");
}

} // namespace corvane
