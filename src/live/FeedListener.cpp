#include "FeedListener.h"

#include "TcpAcceptor.h"

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

FeedListener::FeedListener(const FeedEndpoint &endpoint, FeedQueue &queue, int source)
    : m_endpoint(endpoint), m_queue(queue), m_source(source)
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
    m_acceptor = new TcpAcceptor(m_server);
    connect(m_acceptor, &TcpAcceptor::accepted, this, &FeedListener::adopt);
    connect(m_acceptor, &TcpAcceptor::failingChanged, this,
            [this] { emit statusChanged(statusText()); });
    return {};
}

int FeedListener::receiveBufferSize() const
{
    return m_udp ? m_udp->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt() : 0;
}

void FeedListener::readDatagrams()
{
    while (m_udp->hasPendingDatagrams()) {
        const qint64 size = m_udp->pendingDatagramSize();
        QByteArray datagram(qMax<qint64>(size, 0), Qt::Uninitialized);
        const qint64 got = m_udp->readDatagram(datagram.data(), datagram.size());
        if (got < 0)
            break;
        datagram.truncate(got);
        offer(std::move(datagram));
    }
}

void FeedListener::offer(QByteArray bytes)
{
    const FeedScreen::Verdict verdict = m_screen.look(bytes);
    if (!verdict.keep) {
        if (verdict.rejected > 0)
            m_queue.refuse(verdict.rejected);
        return;
    }
    // The queue counts what the bytes take, spare room included.
    bytes.squeeze();
    m_queue.push({std::move(bytes), m_source});
}

void FeedListener::adopt(QTcpSocket *socket)
{
    m_lines.insert(socket, {});
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readLines(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        finishLines(socket);
        m_lines.remove(socket);
        socket->deleteLater();
    });
}

void FeedListener::readLines(QTcpSocket *socket)
{
    auto state = m_lines.find(socket);
    if (state == m_lines.end())
        return;
    cutLines(socket->readAll(), *state);
}

void FeedListener::finishLines(QTcpSocket *socket)
{
    readLines(socket);
    auto state = m_lines.find(socket);
    if (state == m_lines.end())
        return;
    cutLines("\n", *state);
}

void FeedListener::cutLines(const QByteArray &data, LineState &s)
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
            m_queue.refuse(1);
            s.dropping = false;
        } else if (!s.partial.trimmed().isEmpty()) {
            offer(std::move(s.partial));
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
    const QString name = m_endpoint.toString();
    if (m_acceptor && m_acceptor->isFailing())
        return QStringLiteral("Cannot accept on %1 (%2); trying again")
            .arg(name, m_acceptor->error());
    if (m_endpoint.listens())
        return QStringLiteral("Listening on ") + name;
    return (m_connected ? QStringLiteral("Connected to ") : QStringLiteral("Waiting for ")) +
           m_endpoint.hostAndPort();
}

} // namespace corvane
