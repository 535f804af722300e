#include "ProcessedLogs.h"

#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

void ProcessedLogs::add(const QString &name)
{
    SqliteStatement st(m_store.acarsLog(), "INSERT INTO LOGSPROCESSED (FileName) VALUES (?)");
    st.bind(1, name.right(kNameLength));
    st.run();
}

bool ProcessedLogs::contains(const QString &name)
{
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT 1 FROM LOGSPROCESSED WHERE FileName = ? LIMIT 1");
    st.bind(1, name.right(kNameLength));
    return st.step();
}

} // namespace corvane
