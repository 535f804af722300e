#pragma once

#include "FeedEndpoint.h"
#include "FeedQueue.h"
#include "FeedScreen.h"

#include <QHash>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QUdpSocket;

namespace corvane
{

class TcpAcceptor;

// The sockets of one feed, on the receiving thread: they only read, screen
// and queue, so that no datagram waits for a commit or a busy window. Lines
// of the stream kinds are cut here; one that grows past the largest object
// is dropped (and counted) as it arrives, so it never costs more memory.
class FeedListener : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kMaxLine = 64 * 1024 + 2;
    static constexpr int kReceiveBuffer = 8 * 1024 * 1024;
    static constexpr int kRetryMs = 3000;

    // What is received goes to queue as chunks of source, the feed's number
    // in its link, once the screen lets it through.
    FeedListener(const FeedEndpoint &endpoint, FeedQueue &queue, int source);
    ~FeedListener() override;

    // Opens the socket; the reason when it cannot be opened.
    QString open();
    // "Listening on udp:127.0.0.1:5555", "Cannot accept on ...", "Connected
    // to HOST:PORT" or "Waiting for HOST:PORT".
    QString statusText() const;
    // What the kernel gave the receive buffer, in bytes.
    int receiveBufferSize() const;

signals:
    void statusChanged(const QString &text);

private:
    struct LineState {
        QByteArray partial;
        bool dropping = false; // inside a line that grew too long
    };

    void readDatagrams();
    void adopt(QTcpSocket *socket);
    void readLines(QTcpSocket *socket);
    // The sender left: what it read, a last line without its end included.
    void finishLines(QTcpSocket *socket);
    void cutLines(const QByteArray &data, LineState &state);
    // Queues a datagram or line the screen lets through.
    void offer(QByteArray bytes);
    void connectToServer();
    void serverGone();
    void setConnected(bool connected);

    FeedEndpoint m_endpoint;
    FeedQueue &m_queue;
    int m_source;
    FeedScreen m_screen;
    QUdpSocket *m_udp = nullptr;
    QTcpServer *m_server = nullptr;
    TcpAcceptor *m_acceptor = nullptr;
    QTcpSocket *m_client = nullptr;
    QTimer *m_retry = nullptr;
    QHash<QTcpSocket *, LineState> m_lines;
    bool m_connected = false;
};

} // namespace corvane
