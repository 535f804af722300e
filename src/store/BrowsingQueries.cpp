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
    q.orderField =
        sortColumn < 0 ? QStringLiteral("Registration") : fieldOf(kPairFields, sortColumn);
    return q;
}

PagedQuery BrowsingQueries::heardAircraft(int sortColumn)
{
    PagedQuery q;
    q.table = QStringLiteral("UniqueAircraft");
    q.fields = kHeardFields;
    q.orderField = fieldOf(kHeardFields, sortColumn);
    return q;
}

PagedQuery BrowsingQueries::allAircraft()
{
    PagedQuery q;
    q.table = QStringLiteral("AIRCRAFT");
    q.fields = QStringList{"REGISTRATI", "CARRIER", "TYPE", "CN", "\"Heard?\""};
    q.orderField = QStringLiteral("REGISTRATI");
    return q;
}

PagedQuery BrowsingQueries::aircraftOf(const QString &carrierCode)
{
    PagedQuery q;
    q.table = QStringLiteral("AIRCRAFT");
    q.fields = QStringList{"REGISTRATI", "TYPE", "CN", "\"Heard?\""};
    q.where = QStringLiteral("CARRIER = ?");
    q.parameters = QStringList{carrierCode};
    q.orderField = QStringLiteral("REGISTRATI");
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
