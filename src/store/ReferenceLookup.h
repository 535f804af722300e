#pragma once

#include <QString>
#include <memory>

namespace corvane
{

class Store;
class StoreStatement;

// What the reference tables say of a registration, a flight number or a
// label. Statements are prepared once, so a lookup per message stays cheap.
// An unknown key gives an empty text.
class ReferenceLookup
{
public:
    explicit ReferenceLookup(Store &store);
    ~ReferenceLookup();
    ReferenceLookup(const ReferenceLookup &) = delete;
    ReferenceLookup &operator=(const ReferenceLookup &) = delete;

    QString aircraftType(const QString &registration);
    QString route(const QString &flight);
    QString labelMeaning(const QString &label);

private:
    Store &m_store;
    std::unique_ptr<StoreStatement> m_type;
    std::unique_ptr<StoreStatement> m_route;
    std::unique_ptr<StoreStatement> m_label;
};

} // namespace corvane
