#include "ImportObserverRelay.h"

#include "RecorderThread.h"

namespace corvane
{

ImportObserverRelay::ImportObserverRelay(QObject &receiver, ImportObserver &target,
                                         const std::atomic_bool &cancelled)
    : m_receiver(receiver), m_target(target), m_cancelled(cancelled)
{
}

void ImportObserverRelay::pass(std::function<void(ImportObserver &)> call)
{
    ImportObserver *target = &m_target;
    RecorderThread::post(&m_receiver, [target, call = std::move(call)] { call(*target); });
}

void ImportObserverRelay::record(const QString &name, qint64 stored, qint64 position, qint64 size)
{
    // A new file shows at once; within a file the window hears of it only
    // every kProgressMillis, so a fast import does not flood its event loop.
    if (name == m_lastName && m_clock.isValid() && m_clock.elapsed() < kProgressMillis)
        return;
    m_lastName = name;
    m_clock.start();
    pass([=](ImportObserver &o) { o.record(name, stored, position, size); });
}

void ImportObserverRelay::status(const QString &text)
{
    pass([text](ImportObserver &o) { o.status(text); });
}

void ImportObserverRelay::message(const QString &text)
{
    pass([text](ImportObserver &o) { o.message(text); });
}

void ImportObserverRelay::finishLog()
{
    // The next file's first record shows again at once.
    m_lastName.clear();
    pass([](ImportObserver &o) { o.finishLog(); });
}

void ImportObserverRelay::showNewPairs(const QString &path)
{
    pass([path](ImportObserver &o) { o.showNewPairs(path); });
}

} // namespace corvane
