#include "StoreChangeWatcher.h"

#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"
#include "StoreStatement.h"

namespace corvane
{

StoreChangeWatcher::StoreChangeWatcher(Store &store, QObject *parent)
    : QObject(parent), m_store(store)
{
    connect(&m_timer, &QTimer::timeout, this, &StoreChangeWatcher::check);
}

void StoreChangeWatcher::start(int intervalMillis)
{
    markSeen();
    m_timer.start(intervalMillis);
}

void StoreChangeWatcher::markSeen()
{
    m_seen = version();
}

qint64 StoreChangeWatcher::version()
{
    if (!m_store.isOpen())
        return -1;
    try {
        // On a server, the newest message: stations only add messages, and
        // our own deletions refresh the views themselves.
        if (m_store.onServer()) {
            StoreStatement newest(m_store, Schema::File::AcarsLog,
                                  "SELECT coalesce(max(rowid), 0) FROM tMessage");
            return newest.step() ? newest.int64(0) : -1;
        }
        // The counter moves whenever another connection commits to the file.
        SqliteStatement st(m_store.acarsLog(), "PRAGMA data_version");
        return st.step() ? st.int64(0) : -1;
    } catch (const StoreError &) {
        return m_seen;
    }
}

void StoreChangeWatcher::check()
{
    if (paused && paused())
        return;
    const qint64 now = version();
    if (now == m_seen)
        return;
    m_seen = now;
    emit changed();
}

} // namespace corvane
