#include "TcpAcceptor.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane
{

namespace
{
// Failures of accept() that pass: the system or this process is short of
// something a later accept will find again.
bool isTemporary(int code)
{
    return code == EMFILE || code == ENFILE || code == ENOBUFS || code == ENOMEM;
}
} // namespace

TcpAcceptor::TcpAcceptor(QTcpServer *server) : QObject(server), m_server(server)
{
    server->pauseAccepting();
    m_notifier = new QSocketNotifier(server->socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TcpAcceptor::acceptAll);
    m_notifier->setEnabled(true);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        m_notifier->setEnabled(true);
        acceptAll();
    });
}

void TcpAcceptor::acceptAll()
{
    const int fd = int(m_server->socketDescriptor());
    for (;;) {
        const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            const int code = errno;
            if (code == EINTR || code == ECONNABORTED || code == EPROTO)
                continue; // the client gave up meanwhile, or a signal came
            if (code != EAGAIN && code != EWOULDBLOCK)
                backOff(code);
            return;
        }
        m_backoffMs = kFirstBackoffMs;
        if (m_failing) {
            m_failing = false;
            emit failingChanged(false);
        }
        auto *socket = new QTcpSocket(m_server->parent());
        if (!socket->setSocketDescriptor(client)) {
            ::close(client);
            delete socket;
            continue;
        }
        emit accepted(socket);
    }
}

void TcpAcceptor::backOff(int code)
{
    // Anything else is not expected of a listening socket; trying again
    // after the pause is still better than never accepting again.
    m_error = QString::fromLocal8Bit(std::strerror(code));
    if (!isTemporary(code))
        m_error += QStringLiteral(" (error %1)").arg(code);
    m_notifier->setEnabled(false);
    m_retry.start(m_backoffMs);
    m_backoffMs = std::min(m_backoffMs * 2, kLongestBackoffMs);
    if (!m_failing) {
        m_failing = true;
        emit failingChanged(true);
    }
}

} // namespace corvane
