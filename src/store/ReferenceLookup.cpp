#include "ReferenceLookup.h"

#include "NamedCommands.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

namespace
{
QString firstText(StoreStatement &st, const QString &key)
{
    st.bind(1, key);
    const QString value = st.step() && !st.isNull(0) ? st.text(0) : QString();
    st.reset();
    return value;
}
} // namespace

ReferenceLookup::ReferenceLookup(Store &store) : m_store(store) {}

ReferenceLookup::~ReferenceLookup() = default;

QString ReferenceLookup::aircraftType(const QString &registration)
{
    if (!m_type)
        m_type = std::make_unique<StoreStatement>(m_store, Schema::File::AcarsLog,
                                                  "SELECT TYPE FROM AIRCRAFT WHERE REGISTRATI = ?");
    return firstText(*m_type, registration);
}

QString ReferenceLookup::route(const QString &flight)
{
    if (!m_route)
        m_route = std::make_unique<StoreStatement>(m_store, Schema::File::Routes,
                                                   "SELECT ROUTE FROM ROUTES WHERE FLIGHT = ?");
    return firstText(*m_route, flight);
}

QString ReferenceLookup::labelMeaning(const QString &label)
{
    if (!m_label)
        m_label = std::make_unique<StoreStatement>(
            m_store, Schema::File::Alerts, NamedCommands::find(QStringLiteral("AllLabels"))->sql);
    return firstText(*m_label, label);
}

} // namespace corvane
