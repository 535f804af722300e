#include "FeedListener.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace corvane
{

namespace
{
QHostAddress listenAddress(const FeedEndpoint &e)
{
    return e.host.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(e.host);
}
} // namespace

FeedListener::FeedListener(const FeedEndpoint &endpoint, FeedQueue &queue)
    : m_endpoint(endpoint), m_queue(queue)
{
}

FeedListener::~FeedListener() = default;

QString FeedListener::open()
{
    const QString name = m_endpoint.toString();
    if (m_endpoint.kind == FeedEndpoint::Kind::TcpConnect) {
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        m_retry->setInterval(kRetryMs);
        connect(m_retry, &QTimer::timeout, this, &FeedListener::connectToServer);
        connectToServer();
        return {};
    }
    const QHostAddress address = listenAddress(m_endpoint);
    if (address.isNull())
        return QStringLiteral("Cannot open %1: no such address").arg(name);
    if (m_endpoint.kind == FeedEndpoint::Kind::Udp) {
        m_udp = new QUdpSocket(this);
        if (!m_udp->bind(address, m_endpoint.port))
            return QStringLiteral("Cannot open %1: %2").arg(name, m_udp->errorString());
        // Room for the datagrams of a long pause; the system caps it at
        // net.core.rmem_max.
        m_udp->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
        connect(m_udp, &QUdpSocket::readyRead, this, &FeedListener::readDatagrams);
        return {};
    }
    m_server = new QTcpServer(this);
    if (!m_server->listen(address, m_endpoint.port))
        return QStringLiteral("Cannot open %1: %2").arg(name, m_server->errorString());
    connect(m_server, &QTcpServer::newConnection, this, &FeedListener::acceptConnections);
    return {};
}

int FeedListener::receiveBufferSize() const
{
    return m_udp ? m_udp->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt() : 0;
}

void FeedListener::readDatagrams()
{
    std::vector<FeedChunk> chunks;
    while (m_udp->hasPendingDatagrams()) {
        const qint64 size = m_udp->pendingDatagramSize();
        QByteArray datagram(qMax<qint64>(size, 0), Qt::Uninitialized);
        const qint64 got = m_udp->readDatagram(datagram.data(), datagram.size());
        if (got < 0)
            break;
        datagram.truncate(got);
        chunks.push_back({std::move(datagram)});
    }
    m_queue.push(chunks);
}

void FeedListener::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        m_lines.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readLines(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            finishLines(socket);
            m_lines.remove(socket);
            socket->deleteLater();
        });
    }
}

void FeedListener::readLines(QTcpSocket *socket)
{
    auto state = m_lines.find(socket);
    if (state == m_lines.end())
        return;
    std::vector<FeedChunk> chunks;
    cutLines(socket->readAll(), *state, chunks);
    m_queue.push(chunks);
}

void FeedListener::finishLines(QTcpSocket *socket)
{
    readLines(socket);
    auto state = m_lines.find(socket);
    if (state == m_lines.end())
        return;
    std::vector<FeedChunk> chunks;
    cutLines("\n", *state, chunks);
    m_queue.push(chunks);
}

void FeedListener::cutLines(const QByteArray &data, LineState &s, std::vector<FeedChunk> &out)
{
    qsizetype from = 0;
    while (from < data.size()) {
        const qsizetype end = data.indexOf('\n', from);
        const qsizetype stop = end < 0 ? data.size() : end;
        if (!s.dropping) {
            s.partial.append(data.constData() + from, stop - from);
            if (s.partial.size() > kMaxLine) {
                s.partial.clear();
                s.partial.squeeze();
                s.dropping = true;
            }
        }
        if (end < 0)
            return;
        if (s.dropping) {
            ++s.refused;
            s.dropping = false;
        } else if (!s.partial.trimmed().isEmpty() || s.refused > 0) {
            out.push_back({std::move(s.partial), s.refused});
            s.refused = 0;
        }
        s.partial = QByteArray();
        from = end + 1;
    }
}

void FeedListener::connectToServer()
{
    if (!m_client) {
        m_client = new QTcpSocket(this);
        m_lines.insert(m_client, {});
        connect(m_client, &QTcpSocket::connected, this, [this] { setConnected(true); });
        connect(m_client, &QTcpSocket::readyRead, this, [this] { readLines(m_client); });
        connect(m_client, &QTcpSocket::disconnected, this, &FeedListener::serverGone);
        connect(m_client, &QTcpSocket::errorOccurred, this, &FeedListener::serverGone);
    }
    m_lines[m_client] = {};
    m_client->connectToHost(m_endpoint.host, m_endpoint.port);
}

void FeedListener::serverGone()
{
    if (m_retry->isActive())
        return;
    finishLines(m_client);
    m_client->abort();
    setConnected(false);
    m_retry->start();
}

void FeedListener::setConnected(bool connected)
{
    // Each retry while the server is away is no news.
    if (connected == m_connected)
        return;
    m_connected = connected;
    emit statusChanged(statusText());
}

QString FeedListener::statusText() const
{
    return (m_connected ? QStringLiteral("Connected to ") : QStringLiteral("Waiting for ")) +
           m_endpoint.hostAndPort();
}

} // namespace corvane
