#include "AircraftTable.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

std::vector<AircraftRow> AircraftTable::all()
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT rowid, REGISTRATI, CARRIER, TYPE, CN, \"Heard?\" FROM AIRCRAFT "
                      "ORDER BY REGISTRATI, rowid");
    std::vector<AircraftRow> rows;
    while (st.step())
        rows.push_back(
            {st.int64(0), st.text(1), st.text(2), st.text(3), st.text(4), st.int64(5) != 0});
    return rows;
}

qint64 AircraftTable::add(const AircraftRow &row)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "INSERT INTO AIRCRAFT (REGISTRATI, CARRIER, TYPE, CN, \"Heard?\") "
                      "VALUES (?, ?, ?, ?, ?)");
    st.bind(1, row.registration);
    st.bind(2, row.carrier);
    st.bind(3, row.type);
    st.bind(4, row.serial);
    st.bind(5, qint64(row.heard ? 1 : 0));
    return st.insert("rowid");
}

bool AircraftTable::registrationTaken(const QString &registration, qint64 exceptId)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT 1 FROM AIRCRAFT WHERE REGISTRATI = ? AND rowid <> ? LIMIT 1");
    st.bind(1, registration);
    st.bind(2, exceptId);
    return st.step();
}

void AircraftTable::update(const AircraftRow &row)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE AIRCRAFT SET REGISTRATI = ?, CARRIER = ?, TYPE = ?, CN = ?, "
                      "\"Heard?\" = ? WHERE rowid = ?");
    st.bind(1, row.registration);
    st.bind(2, row.carrier);
    st.bind(3, row.type);
    st.bind(4, row.serial);
    st.bind(5, qint64(row.heard ? 1 : 0));
    st.bind(6, row.id);
    st.run();
}

void AircraftTable::remove(qint64 id)
{
    StoreStatement st(m_store, Schema::File::AcarsLog, "DELETE FROM AIRCRAFT WHERE rowid = ?");
    st.bind(1, id);
    st.run();
}

void AircraftTable::removeAll()
{
    StoreStatement(m_store, Schema::File::AcarsLog, "DELETE FROM AIRCRAFT").run();
}

} // namespace corvane
