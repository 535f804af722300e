#pragma once

#include "FeedEndpoint.h"
#include "FeedQueue.h"

#include <QHash>
#include <QObject>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QUdpSocket;

namespace corvane
{

// The sockets of one feed, on the receiving thread: they only read and
// queue, so that no datagram waits for a commit or a busy window. Lines of
// the stream kinds are cut here; one that grows past the largest object is
// dropped (and counted) as it arrives, so it never costs more memory.
class FeedListener : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kMaxLine = 64 * 1024 + 2;
    static constexpr int kReceiveBuffer = 8 * 1024 * 1024;
    static constexpr int kRetryMs = 3000;

    FeedListener(const FeedEndpoint &endpoint, FeedQueue &queue);
    ~FeedListener() override;

    // Opens the socket; the reason when it cannot be opened.
    QString open();
    // The connecting kind: "Connected to"/"Waiting for" the server.
    QString statusText() const;
    // What the kernel gave the receive buffer, in bytes.
    int receiveBufferSize() const;

signals:
    void statusChanged(const QString &text);

private:
    struct LineState {
        QByteArray partial;
        bool dropping = false; // inside a line that grew too long
        int refused = 0;
    };

    void readDatagrams();
    void acceptConnections();
    void readLines(QTcpSocket *socket);
    // The sender left: what it read, a last line without its end included.
    void finishLines(QTcpSocket *socket);
    void cutLines(const QByteArray &data, LineState &state, std::vector<FeedChunk> &out);
    void connectToServer();
    void serverGone();
    void setConnected(bool connected);

    FeedEndpoint m_endpoint;
    FeedQueue &m_queue;
    QUdpSocket *m_udp = nullptr;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_client = nullptr;
    QTimer *m_retry = nullptr;
    QHash<QTcpSocket *, LineState> m_lines;
    bool m_connected = false;
};

} // namespace corvane
