#include "ProcessedLogs.h"

#include "PgConnection.h"
#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

namespace
{

QByteArray key(const QString &name)
{
    return name.right(ProcessedLogs::kNameLength).toUtf8();
}

} // namespace

qint64 ProcessedLogs::run(const QByteArray &sql, const std::vector<QByteArray> &values)
{
    if (m_server)
        return m_server->query(StoreStatement::numberedMarkers(sql), values).affectedRows();
    StoreStatement st(*m_store, Schema::File::AcarsLog, sql);
    for (size_t i = 0; i < values.size(); ++i)
        st.bind(int(i) + 1, QString::fromUtf8(values[i]));
    st.run();
    return st.changes();
}

void ProcessedLogs::add(const QString &name)
{
    run("INSERT INTO LOGSPROCESSED (FileName) VALUES (?)", {key(name)});
}

bool ProcessedLogs::contains(const QString &name)
{
    return entry(name).listed;
}

ProcessedLogs::Entry ProcessedLogs::entry(const QString &name)
{
    // A part-way listing first: that is where an import goes on.
    const QByteArray sql = "SELECT RecordsRead FROM LOGSPROCESSED WHERE FileName = ? "
                           "ORDER BY RecordsRead IS NULL LIMIT 1";
    Entry e;
    if (m_server) {
        const PgResult row = m_server->query(StoreStatement::numberedMarkers(sql), {key(name)});
        if (row.rows() == 0)
            return e;
        e.listed = true;
        e.whole = row.isNull(0, 0);
        e.recordsRead = row.int64(0, 0);
        return e;
    }
    StoreStatement st(*m_store, Schema::File::AcarsLog, sql);
    st.bind(1, QString::fromUtf8(key(name)));
    if (!st.step())
        return e;
    e.listed = true;
    e.whole = st.isNull(0);
    e.recordsRead = st.int64(0);
    return e;
}

void ProcessedLogs::setRead(const QString &name, qint64 records)
{
    const QByteArray count = QByteArray::number(records);
    if (run("UPDATE LOGSPROCESSED SET RecordsRead = ? WHERE FileName = ? AND RecordsRead IS NOT "
            "NULL",
            {count, key(name)}) == 0)
        run("INSERT INTO LOGSPROCESSED (FileName, RecordsRead) VALUES (?, ?)", {key(name), count});
}

void ProcessedLogs::setWhole(const QString &name)
{
    if (run("UPDATE LOGSPROCESSED SET RecordsRead = NULL WHERE FileName = ? AND RecordsRead IS NOT "
            "NULL",
            {key(name)}) == 0)
        add(name);
}

} // namespace corvane
