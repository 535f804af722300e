#include "StoreTransaction.h"

#include "PgConnection.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"

namespace corvane
{

StoreTransaction::StoreTransaction(Store &store, Schema::File file, Kind kind)
    : m_store(store), m_file(file)
{
    const bool write = kind == Kind::Write;
    if (store.onServer())
        begin(write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    else
        store.db(file).exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
    ++store.m_transactions;
}

// A connection that lay idle while the server restarted learns it only
// now; with nothing begun on it yet, the transaction begins on a new one.
void StoreTransaction::begin(const char *sql)
{
    PgConnection &db = m_store.server();
    try {
        db.exec(sql);
    } catch (const StoreError &) {
        if (!m_store.reconnectedOutsideTransaction())
            throw;
        db.exec(sql);
    }
}

StoreTransaction::~StoreTransaction()
{
    if (!m_open)
        return;
    --m_store.m_transactions;
    try {
        if (m_store.onServer())
            m_store.server().exec("ROLLBACK");
        else
            sqlite3_exec(m_store.db(m_file).handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    } catch (const StoreError &) {
        // A connection lost meanwhile has no transaction left to end.
    }
}

void StoreTransaction::commit()
{
    m_open = false;
    --m_store.m_transactions;
    if (m_store.onServer())
        m_store.server().exec("COMMIT");
    else
        m_store.db(m_file).exec("COMMIT");
}

} // namespace corvane
