#include "FilterChoices.h"

#include "NamedCommands.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

QStringList FilterChoices::column(const char *command)
{
    SqliteStatement st(m_store.acarsLog(), NamedCommands::find(QLatin1String(command))->sql);
    QStringList values;
    while (st.step())
        values << (st.isNull(0) ? QString() : st.text(0));
    return values;
}

QStringList FilterChoices::flights()
{
    return column("DistinctFlights");
}

QStringList FilterChoices::registrations()
{
    return column("DistinctRegistrations");
}

} // namespace corvane
