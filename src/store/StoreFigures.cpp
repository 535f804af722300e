#include "StoreFigures.h"

#include "DayRange.h"
#include "NamedCommands.h"
#include "PgConnection.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

StoreFigures::StoreFigures(Store &store)
    : m_store(&store), m_server(store.onServer() ? &store.server() : nullptr)
{
}

qint64 StoreFigures::count(const char *sql)
{
    if (m_server)
        return m_server->query(sql).int64(0, 0);
    SqliteStatement st(m_store->acarsLog(), sql);
    return st.step() ? st.int64(0) : 0;
}

QString StoreFigures::text(const char *sql)
{
    if (m_server)
        return QString::fromUtf8(m_server->query(sql).value(0, 0));
    SqliteStatement st(m_store->acarsLog(), sql);
    return st.step() && !st.isNull(0) ? st.text(0) : QString();
}

qint64 StoreFigures::countWithin(const char *command, const DayRange &days)
{
    const QByteArray sql = NamedCommands::find(QLatin1String(command))->sql;
    if (m_server) {
        // The server numbers its parameters $1, $2.
        return m_server
            ->query(QByteArray(sql).replace("?", "$"),
                    {days.startText().toUtf8(), days.endText().toUtf8()})
            .int64(0, 0);
    }
    SqliteStatement st(m_store->acarsLog(), sql.constData());
    st.bind(1, days.startText());
    st.bind(2, days.endText());
    return st.step() ? st.int64(0) : 0;
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
    return countWithin("Today", days);
}

qint64 StoreFigures::aircraftLastHeardWithin(const DayRange &days)
{
    return countWithin("TodayAll", days);
}

} // namespace corvane
