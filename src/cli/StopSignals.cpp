#include "StopSignals.h"

#include "CliCommand.h"

#include <QEventLoop>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane
{

StopSignals::StopSignals(QEventLoop &loop)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_fds) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(s_fds[1], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &loop, [&loop] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(s_fds[1], &c, 1);
        loop.exit(ExitOk);
    });
    struct sigaction sa = {};
    sa.sa_handler = &StopSignals::handle;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, &m_oldInt);
    ::sigaction(SIGTERM, &sa, &m_oldTerm);
    m_installed = true;
}

StopSignals::~StopSignals()
{
    if (m_installed) {
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    m_notifier.reset();
    if (s_fds[0] >= 0) {
        ::close(s_fds[0]);
        ::close(s_fds[1]);
        s_fds[0] = s_fds[1] = -1;
    }
}

void StopSignals::handle(int)
{
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(s_fds[0], &c, 1);
    errno = saved;
}

} // namespace corvane
