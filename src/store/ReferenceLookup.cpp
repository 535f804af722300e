#include "ReferenceLookup.h"

#include "NamedCommands.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

namespace
{
QString firstText(SqliteStatement &st, const QString &key)
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
        m_type = std::make_unique<SqliteStatement>(
            m_store.acarsLog(), "SELECT TYPE FROM AIRCRAFT WHERE REGISTRATI = ?");
    return firstText(*m_type, registration);
}

QString ReferenceLookup::route(const QString &flight)
{
    if (!m_route)
        m_route = std::make_unique<SqliteStatement>(m_store.routes(),
                                                    "SELECT ROUTE FROM ROUTES WHERE FLIGHT = ?");
    return firstText(*m_route, flight);
}

QString ReferenceLookup::labelMeaning(const QString &label)
{
    if (!m_label)
        m_label = std::make_unique<SqliteStatement>(
            m_store.alerts(), NamedCommands::find(QStringLiteral("AllLabels"))->sql);
    return firstText(*m_label, label);
}

} // namespace corvane
