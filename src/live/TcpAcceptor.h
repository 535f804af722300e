#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace corvane
{

// Accepts the connections of a listening QTcpServer itself, and takes a
// lack of file descriptors as the passing trouble it is. A failed accept
// leaves the connection pending and the socket readable; QTcpServer then
// either stops accepting for good or, taking the failure for a passing one,
// tries again at once, in a loop that takes a whole core. Here accepting
// pauses and is tried again after a pause that doubles up to a second, as
// the local link listener does, and the owner is told when accepting fails
// and when it works again.
class TcpAcceptor : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFirstBackoffMs = 50;
    static constexpr int kLongestBackoffMs = 1000;

    // Takes accepting over from the server, which must be listening; a
    // child of the server.
    explicit TcpAcceptor(QTcpServer *server);

    bool isFailing() const { return m_failing; }
    // Why the last accept failed.
    QString error() const { return m_error; }

signals:
    // A client connected; the socket is parented to the server's parent.
    void accepted(QTcpSocket *socket);
    void failingChanged(bool failing);

private:
    void acceptAll();
    void backOff(int code);

    QTcpServer *m_server;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_retry;
    int m_backoffMs = kFirstBackoffMs;
    bool m_failing = false;
    QString m_error;
};

} // namespace corvane
