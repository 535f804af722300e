#include "HeardRegistrations.h"

#include "DayRange.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

QStringList HeardRegistrations::inDays(const DayRange &days)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT DISTINCT mReg FROM tMessage WHERE mTime >= ? AND mTime < ?"
                      " AND mReg <> '' ORDER BY mReg");
    st.bind(1, days.startText());
    st.bind(2, days.endText());
    QStringList registrations;
    while (st.step())
        registrations << st.text(0);
    return registrations;
}

QList<HeardRegistrations::Match> HeardRegistrations::matchedWithAircraft()
{
    // A number, not the server's true or false.
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT u.Registration, CASE WHEN EXISTS (SELECT 1 FROM AIRCRAFT a"
                      " WHERE a.REGISTRATI = u.Registration) THEN 1 ELSE 0 END"
                      " FROM UniqueAircraft u ORDER BY u.rowid");
    QList<Match> matches;
    while (st.step())
        matches.append({st.isNull(0) ? QString() : st.text(0), st.int64(1) != 0});
    return matches;
}

} // namespace corvane
