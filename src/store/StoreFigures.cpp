#include "StoreFigures.h"

#include "DayRange.h"
#include "NamedCommands.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

qint64 StoreFigures::count(const char *sql)
{
    SqliteStatement st(m_store.acarsLog(), sql);
    return st.step() ? st.int64(0) : 0;
}

QString StoreFigures::text(const char *sql)
{
    SqliteStatement st(m_store.acarsLog(), sql);
    return st.step() && !st.isNull(0) ? st.text(0) : QString();
}

qint64 StoreFigures::messages()
{
    return count("SELECT count(*) FROM tMessage");
}

qint64 StoreFigures::heardPairs()
{
    return count("SELECT count(*) FROM ACARSLOG");
}

qint64 StoreFigures::heardAircraft()
{
    return count("SELECT count(*) FROM UniqueAircraft");
}

qint64 StoreFigures::aircraft()
{
    return count("SELECT count(*) FROM AIRCRAFT");
}

qint64 StoreFigures::carriers()
{
    return count("SELECT count(*) FROM CARRIERS");
}

QString StoreFigures::firstMessageTime()
{
    return text("SELECT min(mTime) FROM tMessage");
}

QString StoreFigures::lastMessageTime()
{
    return text("SELECT max(mTime) FROM tMessage");
}

qint64 StoreFigures::messagesWithin(const DayRange &days)
{
    SqliteStatement st(m_store.acarsLog(), NamedCommands::find(QStringLiteral("Today"))->sql);
    st.bind(1, days.startText());
    st.bind(2, days.endText());
    return st.step() ? st.int64(0) : 0;
}

qint64 StoreFigures::aircraftLastHeardWithin(const DayRange &days)
{
    SqliteStatement st(m_store.acarsLog(), NamedCommands::find(QStringLiteral("TodayAll"))->sql);
    st.bind(1, days.startText());
    st.bind(2, days.endText());
    return st.step() ? st.int64(0) : 0;
}

} // namespace corvane
