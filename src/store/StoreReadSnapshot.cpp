#include "StoreReadSnapshot.h"

#include "PgConnection.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

namespace corvane
{

StoreReadSnapshot::StoreReadSnapshot(Store &store) : m_store(store)
{
    if (store.onServer())
        store.server().exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    else
        store.acarsLog().exec("BEGIN");
}

StoreReadSnapshot::~StoreReadSnapshot()
{
    if (!m_open)
        return;
    try {
        if (m_store.onServer())
            m_store.server().exec("ROLLBACK");
        else if (!sqlite3_get_autocommit(m_store.acarsLog().handle()))
            m_store.acarsLog().exec("ROLLBACK");
    } catch (const StoreError &) {
        // A connection lost meanwhile has no transaction left to end.
    }
}

void StoreReadSnapshot::end()
{
    m_open = false;
    if (m_store.onServer())
        m_store.server().exec("COMMIT");
    else
        m_store.acarsLog().exec("COMMIT");
}

} // namespace corvane
