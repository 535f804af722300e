#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace corvane
{

class Store;

// Tells when messages were committed to the store by someone else: another
// program on the same files (a headless recorder beside the window) or
// another connection of this one, or stations recording into the same
// server. It asks SQLite's change counter of the message file (or the
// server's newest message) now and then, which costs nothing while nothing
// changes.
class StoreChangeWatcher : public QObject
{
    Q_OBJECT
public:
    explicit StoreChangeWatcher(Store &store, QObject *parent = nullptr);

    void start(int intervalMillis = 1000);
    void stop() { m_timer.stop(); }
    // What the store holds now has been shown: only later commits count.
    void markSeen();

    // While it answers true (our own recording runs and refreshes the views
    // itself) changes are not told; they are once it answers false.
    std::function<bool()> paused;

signals:
    void changed();

private:
    void check();
    qint64 version();

    Store &m_store;
    QTimer m_timer;
    qint64 m_seen = -1;
};

} // namespace corvane
