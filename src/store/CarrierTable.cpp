#include "CarrierTable.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

std::vector<CarrierRow> CarrierTable::all()
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT ID, IATA, ICAO, CARRIER FROM CARRIERS ORDER BY IATA, ID");
    std::vector<CarrierRow> rows;
    while (st.step())
        rows.push_back({st.int64(0), st.text(1), st.text(2), st.text(3)});
    return rows;
}

qint64 CarrierTable::add(const CarrierRow &row)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "INSERT INTO CARRIERS (IATA, ICAO, CARRIER) VALUES (?, ?, ?)");
    st.bind(1, row.iata);
    st.bind(2, row.icao);
    st.bind(3, row.carrier);
    return st.insert("ID");
}

bool CarrierTable::icaoTaken(const QString &icao, qint64 exceptId)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT 1 FROM CARRIERS WHERE ICAO = ? AND ID <> ? LIMIT 1");
    st.bind(1, icao);
    st.bind(2, exceptId);
    return st.step();
}

void CarrierTable::update(const CarrierRow &row)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE CARRIERS SET IATA = ?, ICAO = ?, CARRIER = ? WHERE ID = ?");
    st.bind(1, row.iata);
    st.bind(2, row.icao);
    st.bind(3, row.carrier);
    st.bind(4, row.id);
    st.run();
}

void CarrierTable::remove(qint64 id)
{
    StoreStatement st(m_store, Schema::File::AcarsLog, "DELETE FROM CARRIERS WHERE ID = ?");
    st.bind(1, id);
    st.run();
}

} // namespace corvane
