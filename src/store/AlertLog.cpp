#include "AlertLog.h"

#include "MessageTime.h"
#include "Store.h"
#include "StoreStatement.h"
#include "StoreTransaction.h"

namespace corvane
{

QString AlertRow::firstLine() const
{
    for (QStringView line : QStringView(message).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            return line.toString();
    }
    return {};
}

void AlertLog::add(const QList<AlertRow> &rows)
{
    if (rows.isEmpty())
        return;
    StoreTransaction tx(m_store, Schema::File::Alerts);
    StoreStatement st(m_store, Schema::File::Alerts,
                      "INSERT INTO ALERTS (DATETIME, ALERT, MESSAGE) VALUES (?, ?, ?)");
    for (const AlertRow &row : rows) {
        st.bind(1, row.dateTime);
        st.bind(2, row.alert);
        st.bind(3, row.message);
        st.run();
    }
    tx.commit();
}

QList<AlertRow> AlertLog::read(const char *sql, const QString &from)
{
    StoreStatement st(m_store, Schema::File::Alerts, sql);
    if (!from.isNull())
        st.bind(1, from);
    QList<AlertRow> rows;
    while (st.step())
        rows.append({st.text(0), st.text(1), st.text(2)});
    return rows;
}

QList<AlertRow> AlertLog::all()
{
    return read("SELECT DATETIME, ALERT, MESSAGE FROM ALERTS ORDER BY rowid", QString());
}

QList<AlertRow> AlertLog::since(const QDate &day)
{
    const QString from = day.isValid()
                             ? MessageTime::fromDateTime(QDateTime(day, QTime(0, 0))).toStorage()
                             : QStringLiteral("");
    return read("SELECT DATETIME, ALERT, MESSAGE FROM ALERTS WHERE DATETIME >= ? "
                "ORDER BY DATETIME, rowid",
                from);
}

qint64 AlertLog::count()
{
    StoreStatement st(m_store, Schema::File::Alerts, "SELECT count(*) FROM ALERTS");
    return st.step() ? st.int64(0) : 0;
}

void AlertLog::clear()
{
    StoreStatement(m_store, Schema::File::Alerts, "DELETE FROM ALERTS").run();
}

} // namespace corvane
