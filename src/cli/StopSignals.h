#pragma once

#include <QSocketNotifier>
#include <csignal>
#include <memory>

class QEventLoop;

namespace corvane
{

// SIGINT and SIGTERM end the event loop (with exit status 0) through a
// self-pipe, so that a long-running command stores what it has received,
// closes its links and removes its socket files on the way out.
class StopSignals
{
public:
    // How long a stopping command still waits for a store's server that
    // does not answer: well within a service's stop timeout.
    static constexpr int kStopGraceMillis = 10000;

    explicit StopSignals(QEventLoop &loop);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

private:
    static void handle(int);

    static inline int s_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
    bool m_installed = false;
};

} // namespace corvane
