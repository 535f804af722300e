#include "CarrierTable.h"

#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

std::vector<CarrierRow> CarrierTable::all()
{
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT ID, IATA, ICAO, CARRIER FROM CARRIERS ORDER BY IATA, ID");
    std::vector<CarrierRow> rows;
    while (st.step())
        rows.push_back({st.int64(0), st.text(1), st.text(2), st.text(3)});
    return rows;
}

qint64 CarrierTable::add(const CarrierRow &row)
{
    SqliteDb &db = m_store.acarsLog();
    SqliteStatement st(db, "INSERT INTO CARRIERS (IATA, ICAO, CARRIER) VALUES (?, ?, ?)");
    st.bind(1, row.iata);
    st.bind(2, row.icao);
    st.bind(3, row.carrier);
    st.run();
    return db.lastInsertRowId();
}

void CarrierTable::update(const CarrierRow &row)
{
    SqliteStatement st(m_store.acarsLog(),
                       "UPDATE CARRIERS SET IATA = ?, ICAO = ?, CARRIER = ? WHERE ID = ?");
    st.bind(1, row.iata);
    st.bind(2, row.icao);
    st.bind(3, row.carrier);
    st.bind(4, row.id);
    st.run();
}

void CarrierTable::remove(qint64 id)
{
    SqliteStatement st(m_store.acarsLog(), "DELETE FROM CARRIERS WHERE ID = ?");
    st.bind(1, id);
    st.run();
}

} // namespace corvane
