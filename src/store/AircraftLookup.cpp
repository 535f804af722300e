#include "AircraftLookup.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

AircraftLookup::AircraftLookup(Store &store) : m_store(store) {}

AircraftLookup::~AircraftLookup() = default;

std::optional<AircraftRecord> AircraftLookup::aircraft(const QString &registration)
{
    if (!m_aircraft)
        m_aircraft = std::make_unique<StoreStatement>(
            m_store, Schema::File::AcarsLog,
            "SELECT REGISTRATI, TYPE, CARRIER, CN, \"Heard?\" FROM AIRCRAFT WHERE REGISTRATI = ? "
            "ORDER BY rowid LIMIT 1");
    StoreStatement &st = *m_aircraft;
    st.bind(1, registration);
    std::optional<AircraftRecord> found;
    if (st.step())
        found = AircraftRecord{st.text(0), st.text(1), st.text(2), st.text(3), st.int64(4) != 0};
    st.reset();
    return found;
}

std::optional<CarrierRecord> AircraftLookup::carrier(const QString &icao)
{
    if (!m_carrier)
        m_carrier = std::make_unique<StoreStatement>(
            m_store, Schema::File::AcarsLog,
            "SELECT ICAO, IATA, CARRIER FROM CARRIERS WHERE ICAO = ? ORDER BY ID LIMIT 1");
    StoreStatement &st = *m_carrier;
    st.bind(1, icao);
    std::optional<CarrierRecord> found;
    if (st.step())
        found = CarrierRecord{st.text(0), st.text(1), st.text(2)};
    st.reset();
    return found;
}

QString AircraftLookup::operatorName(const QString &carrierCode)
{
    if (carrierCode == QLatin1String(kBizCode))
        return {};
    const auto row = carrier(carrierCode);
    return row ? row->name : QString();
}

QStringList AircraftLookup::operatorNamesExceptBiz()
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT CARRIER FROM CARRIERS WHERE ICAO <> ? ORDER BY IATA, ID");
    st.bind(1, QString::fromLatin1(kBizCode));
    QStringList names;
    while (st.step())
        names << st.text(0);
    return names;
}

std::optional<QString> AircraftLookup::codeForChoice(const QString &choice)
{
    if (choice == QLatin1String(kBizChoice))
        return QString::fromLatin1(kBizCode);
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT ICAO FROM CARRIERS WHERE CARRIER = ? ORDER BY ID LIMIT 1");
    st.bind(1, choice);
    if (!st.step())
        return std::nullopt;
    return st.text(0);
}

} // namespace corvane
