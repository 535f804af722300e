#pragma once

#include "formats/ImportObserver.h"

#include <QElapsedTimer>
#include <atomic>
#include <functional>

class QObject;

namespace corvane
{

// Follows an import run on the recorder thread and hands what it reports to
// an observer on the window's thread, through that thread's event loop, so
// the window never waits for the recorder. Progress is passed on a few times
// a second at most; everything else as it comes. The receiver must outlive
// the run (its owner waits for the job before it goes) and the target must
// live as long as the receiver; calls still queued when the receiver goes
// are dropped.
class ImportObserverRelay : public ImportObserver
{
public:
    static constexpr int kProgressMillis = 250;

    ImportObserverRelay(QObject &receiver, ImportObserver &target,
                        const std::atomic_bool &cancelled);

    void record(const QString &name, qint64 stored, qint64 position, qint64 size) override;
    void status(const QString &text) override;
    void message(const QString &text) override;
    void finishLog() override;
    void showNewPairs(const QString &path) override;
    bool cancelled() const override { return m_cancelled.load(std::memory_order_relaxed); }

private:
    void pass(std::function<void(ImportObserver &)> call);

    QObject &m_receiver;
    ImportObserver &m_target;
    const std::atomic_bool &m_cancelled;
    QElapsedTimer m_clock;
    QString m_lastName;
};

} // namespace corvane
