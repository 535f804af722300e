#include "BrowsingQueries.h"

namespace corvane
{

namespace
{

const QStringList kPairFields = {"Registration", "Flight", "FirstHeard", "LastHeard", "TimesHeard"};
const QStringList kHeardFields = {"Registration", "FirstHeard", "LastHeard", "TimesHeard"};

QString fieldOf(const QStringList &fields, int column)
{
    return column >= 0 && column < fields.size() ? fields[column] : QString();
}

} // namespace

PagedQuery BrowsingQueries::heardPairs(int sortColumn)
{
    PagedQuery q;
    q.table = QStringLiteral("ACARSLOG");
    q.fields = kPairFields;
    // Registration then flight: the pair key's index delivers both.
    q.order = sortColumn < 0 || sortColumn == PairRegistration
                  ? QStringList{"Registration", "Flight"}
                  : QStringList{fieldOf(kPairFields, sortColumn)};
    return q;
}

PagedQuery BrowsingQueries::heardAircraft(int sortColumn)
{
    PagedQuery q;
    q.table = QStringLiteral("UniqueAircraft");
    q.fields = kHeardFields;
    // The registration's order unless a column is asked for, as the header
    // shows it.
    const QString field = fieldOf(kHeardFields, sortColumn < 0 ? HeardRegistration : sortColumn);
    if (!field.isEmpty())
        q.order = QStringList{field};
    // One row per aircraft sorts quickly enough; indexes on the times and the
    // count would slow every recorded batch instead.
    q.indexedOrder = sortColumn <= HeardRegistration;
    return q;
}

PagedQuery BrowsingQueries::allAircraft()
{
    PagedQuery q;
    q.table = QStringLiteral("AIRCRAFT");
    q.fields = QStringList{"REGISTRATI", "CARRIER", "TYPE", "CN", "\"Heard?\""};
    q.order = QStringList{"REGISTRATI"};
    return q;
}

PagedQuery BrowsingQueries::aircraftOf(const QString &carrierCode)
{
    PagedQuery q;
    q.table = QStringLiteral("AIRCRAFT");
    q.fields = QStringList{"REGISTRATI", "TYPE", "CN", "\"Heard?\""};
    q.where = QStringLiteral("CARRIER = ?");
    q.parameters = QStringList{carrierCode};
    q.order = QStringList{"REGISTRATI"};
    return q;
}

PagedQuery BrowsingQueries::noAircraft()
{
    PagedQuery q = aircraftOf(QString());
    q.where = QStringLiteral("0");
    q.parameters.clear();
    return q;
}

} // namespace corvane
