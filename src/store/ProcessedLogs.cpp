#include "ProcessedLogs.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

void ProcessedLogs::add(const QString &name)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "INSERT INTO LOGSPROCESSED (FileName) VALUES (?)");
    st.bind(1, name.right(kNameLength));
    st.run();
}

bool ProcessedLogs::contains(const QString &name)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "SELECT 1 FROM LOGSPROCESSED WHERE FileName = ? LIMIT 1");
    st.bind(1, name.right(kNameLength));
    return st.step();
}

} // namespace corvane
