#include "FilterChoices.h"

#include "NamedCommands.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

QStringList FilterChoices::column(const char *command)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      NamedCommands::find(QLatin1String(command))->sql);
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
    // The heard-aircraft register holds one row for every registration the
    // messages carry (the recorder and every deletion keep it so): read from
    // its index, the list costs the same however many messages are stored.
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT Registration FROM UniqueAircraft ORDER BY Registration");
    QStringList values;
    while (st.step())
        values << (st.isNull(0) ? QString() : st.text(0));
    return values;
}

} // namespace corvane
