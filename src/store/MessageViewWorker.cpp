#include "MessageViewWorker.h"

#include "MessagePager.h"
#include "PgConnection.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"
#include "StoreTransaction.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace corvane
{

namespace
{

// Pragmas take no bound values.
const char *const kSorterThreads[] = {"PRAGMA threads = 0", "PRAGMA threads = 1",
                                      "PRAGMA threads = 2"};

} // namespace

MessageViewWorker::MessageViewWorker(Store &store)
    : m_store(store), m_db(std::make_unique<Store>()), m_thread([this] { run(); })
{
}

MessageViewWorker::~MessageViewWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_pending.reset();
        if (m_running && m_db->isOpen())
            m_db->interrupt();
    }
    m_wake.notify_all();
    m_thread.join();
}

void MessageViewWorker::request(const MessageView &view)
{
    {
        std::lock_guard lock(m_mutex);
        m_latest = view;
        m_hasLatest = true;
        m_pending = view;
        m_ready.reset();
        if (m_running && !(*m_running == view) && !m_interrupted && m_db->isOpen()) {
            m_interrupted = true;
            // The connection stays open while a view runs: it is closed only
            // on the worker's thread between runs.
            m_db->interrupt();
        }
    }
    m_wake.notify_all();
}

bool MessageViewWorker::waitForLatest(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, std::chrono::milliseconds(ms),
                           [this] { return m_ready && m_ready->computed.view == m_latest; });
}

std::optional<MessageViewWorker::Result> MessageViewWorker::takeLatest()
{
    std::lock_guard lock(m_mutex);
    if (!m_ready || !(m_ready->computed.view == m_latest))
        return std::nullopt;
    std::optional<Result> result = std::move(m_ready);
    m_ready.reset();
    return result;
}

bool MessageViewWorker::isBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_pending || m_running;
}

void MessageViewWorker::run()
{
    for (;;) {
        MessageView view;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_pending; });
            if (m_stop)
                break;
            view = *m_pending;
            m_pending.reset();
            // Opened for each view: a store replaced or reopened in between
            // (a restored backup, another folder) is read as it is now. A
            // server's connection serves the next view of the same server:
            // opening one costs round trips and, over a network, a TLS
            // handshake on every click.
            if (!keepsConnection())
                openConnection();
            m_running = view;
        }
        Result result = compute(view);
        bool wanted = false;
        {
            std::lock_guard lock(m_mutex);
            if (!m_db->onServer())
                m_db->close();
            wanted = !m_interrupted && view == m_latest && !m_stop;
            m_running.reset();
            m_interrupted = false;
            if (wanted)
                m_ready = std::move(result);
        }
        m_done.notify_all();
        if (wanted && onReady)
            onReady();
    }
    m_db.reset();
}

bool MessageViewWorker::keepsConnection() const
{
    if (!m_db->onServer() || !m_store.isOpen() || !m_store.onServer())
        return false;
    return m_db->server().isConnected() &&
           m_db->server().url().display() == m_store.server().url().display();
}

void MessageViewWorker::openConnection()
{
    m_db->close();
    m_openError.clear();
    if (!m_store.isOpen())
        return;
    try {
        m_db->openReaderOf(m_store);
        if (m_db->onServer())
            return;
        // A sort no index serves (ten million texts) is bound by comparing:
        // the engine sorts runs of this size on helper threads while this
        // one reads, and smaller runs stay in the processor's caches. The
        // window's own connection keeps its larger cache for paging.
        SqliteDb &db = m_db->acarsLog();
        db.exec("PRAGMA cache_size = -16384");
        db.exec(kSorterThreads[std::clamp(int(std::thread::hardware_concurrency()) - 1, 0, 2)]);
    } catch (const StoreError &e) {
        m_db->close(); // compute() reports it
        m_openError = e.message();
    }
}

MessageViewWorker::Result MessageViewWorker::compute(const MessageView &view)
{
    Result result;
    result.computed.view = view;
    if (beforeRun)
        beforeRun(view);
    if (!m_db->isOpen()) {
        result.error = m_openError.isEmpty()
                           ? QStringLiteral("Cannot read the messages in %1").arg(m_store.folder())
                           : m_openError;
        return result;
    }
    try {
        // One snapshot for the count and the sort.
        StoreTransaction snapshot(*m_db, Schema::File::AcarsLog, StoreTransaction::Kind::Snapshot);
        result.computed = MessagePager::compute(*m_db, view);
        snapshot.commit();
    } catch (const StoreError &e) {
        result.error = e.message();
    }
    return result;
}

} // namespace corvane
