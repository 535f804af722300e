#include "HeardRegistrations.h"

#include "DayRange.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

QStringList HeardRegistrations::inDays(const DayRange &days)
{
    SqliteStatement st(m_store.acarsLog(),
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
    SqliteStatement st(
        m_store.acarsLog(),
        "SELECT u.Registration, EXISTS (SELECT 1 FROM AIRCRAFT a"
        " WHERE a.REGISTRATI = u.Registration) FROM UniqueAircraft u ORDER BY u.rowid");
    QList<Match> matches;
    while (st.step())
        matches.append({st.isNull(0) ? QString() : st.text(0), st.int64(1) != 0});
    return matches;
}

} // namespace corvane
