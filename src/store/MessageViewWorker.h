#pragma once

#include "ComputedView.h"

#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace corvane
{

class Store;

// Works out message views (their count and, for an order no index delivers,
// their sort) on a thread of its own with its own read-only connection (to
// the files or the server), so the window that asked stays responsive. The
// files' write-ahead log lets it read while the recorder writes.
//
// Only the latest request matters: a newer one replaces a request not yet
// started, and stops the running one (through the engine's interrupt, or the
// server's cancel) unless that one is for the same view, whose result is
// then still worth showing.
class MessageViewWorker
{
public:
    struct Result {
        ComputedView computed;
        QString error; // set when the view could not be worked out
    };

    explicit MessageViewWorker(Store &store);
    ~MessageViewWorker();
    MessageViewWorker(const MessageViewWorker &) = delete;
    MessageViewWorker &operator=(const MessageViewWorker &) = delete;

    void request(const MessageView &view);
    // Waits up to ms milliseconds for the latest request's result; true when
    // it is ready to take.
    bool waitForLatest(int ms);
    // The result of the latest request, once; empty while it is worked on.
    std::optional<Result> takeLatest();
    // True from a request until its result is ready.
    bool isBusy() const;

    // Run on the worker's thread whenever a result is ready to take. Set
    // before the first request.
    std::function<void()> onReady;
    // Run on the worker's thread before each view is worked out.
    std::function<void(const MessageView &)> beforeRun;

private:
    void run();
    Result compute(const MessageView &view);
    bool keepsConnection() const;
    void openConnection();

    Store &m_store;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::optional<MessageView> m_pending;
    MessageView m_latest;
    bool m_hasLatest = false;
    std::optional<MessageView> m_running;
    bool m_interrupted = false;
    std::optional<Result> m_ready;
    bool m_stop = false;
    std::unique_ptr<Store> m_db; // used on the worker's thread only
    QString m_openError;
    std::thread m_thread;
};

} // namespace corvane
