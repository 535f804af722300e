#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace corvane
{

class Store;
class StoreStatement;

// An AIRCRAFT row.
struct AircraftRecord {
    QString registration;
    QString type;
    QString carrierCode; // operator ICAO code; "---" for business jets and others
    QString serial;
    bool heard = false;
};

// A CARRIERS row.
struct CarrierRecord {
    QString icao;
    QString iata;
    QString name;
};

// The aircraft and operator tables as the browsing windows read them: an
// aircraft by registration, an operator by code or by name, and the
// operators a user can pick.
class AircraftLookup
{
public:
    // The operator code of business jets and aircraft without an airline, and
    // how it is offered to the user.
    static constexpr const char *kBizCode = "---";
    static constexpr const char *kBizChoice = "Biz Jets/Misc";

    explicit AircraftLookup(Store &store);
    ~AircraftLookup();
    AircraftLookup(const AircraftLookup &) = delete;
    AircraftLookup &operator=(const AircraftLookup &) = delete;

    std::optional<AircraftRecord> aircraft(const QString &registration);
    std::optional<CarrierRecord> carrier(const QString &icao);
    // The operator name shown for an aircraft: empty for "---" and when the
    // code has no CARRIERS row.
    QString operatorName(const QString &carrierCode);

    // The names of every operator except "---", ordered by IATA code.
    QStringList operatorNamesExceptBiz();
    // The code behind a chosen name ("---" for "Biz Jets/Misc"); none when
    // no operator has the name.
    std::optional<QString> codeForChoice(const QString &choice);

private:
    Store &m_store;
    std::unique_ptr<StoreStatement> m_aircraft;
    std::unique_ptr<StoreStatement> m_carrier;
};

} // namespace corvane
