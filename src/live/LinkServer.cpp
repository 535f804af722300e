#include "LinkServer.h"

#include "LinkNames.h"
#include "LinkProtocol.h"
#include "LocalListener.h"
#include "TcpAcceptor.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/stat.h>

namespace corvane
{

namespace
{
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

void abortSocket(QIODevice *socket)
{
    if (auto *local = qobject_cast<QLocalSocket *>(socket))
        local->abort();
    else if (auto *tcp = qobject_cast<QTcpSocket *>(socket))
        tcp->abort();
}

// Closes a link once what was sent has gone out; the socket outlives the
// server for that, but not a client that stopped reading.
void letGo(QIODevice *socket, QObject *server)
{
    socket->disconnect(server);
    socket->setParent(nullptr);
    QTimer::singleShot(LinkServer::kCloseTimeoutMs, socket, [socket] {
        abortSocket(socket);
        socket->deleteLater();
    });
    if (auto *local = qobject_cast<QLocalSocket *>(socket)) {
        QObject::connect(local, &QLocalSocket::disconnected, local, &QObject::deleteLater);
        local->disconnectFromServer();
    } else if (auto *tcp = qobject_cast<QTcpSocket *>(socket)) {
        QObject::connect(tcp, &QTcpSocket::disconnected, tcp, &QObject::deleteLater);
        tcp->disconnectFromHost();
    }
}

bool isSocketFile(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}
} // namespace

LinkServer::LinkServer(QObject *parent) : QObject(parent) {}

LinkServer::~LinkServer()
{
    close();
}

bool LinkServer::listen(const QString &application, const QString &topic, const QString &item,
                        QString *error)
{
    close();
    const QString problem = LinkNames::checkNames(application, topic, item);
    if (!problem.isEmpty()) {
        setError(error, problem);
        return false;
    }
    const QString path = LinkNames::socketPath(application, topic);
    const QString name = application + u'|' + topic;
    if (QFileInfo::exists(path) || isSocketFile(path)) {
        if (!isSocketFile(path)) {
            setError(error, QStringLiteral("%1 cannot be served: %2 exists and is not a socket")
                                .arg(name, path));
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            setError(error, QStringLiteral("%1 is already served (%2)").arg(name, path));
            return false;
        }
        // Nobody listens: the file was left behind by a server that died.
        QFile::remove(path);
    }
    m_local = new LocalListener(this);
    QString why;
    if (!m_local->listen(path, &why)) {
        setError(error, QStringLiteral("%1 cannot be served on %2: %3").arg(name, path, why));
        delete m_local;
        m_local = nullptr;
        return false;
    }
    connect(m_local, &LocalListener::newConnection, this, [this](QLocalSocket *socket) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        adopt(socket);
    });
    connect(m_local, &LocalListener::failed, this, [this](const QString &why) {
        emit listenFailed(
            QStringLiteral("%1|%2 is no longer served: %3").arg(m_application, m_topic, why));
    });
    m_application = application;
    m_topic = topic;
    m_item = item;
    m_socketPath = path;
    return true;
}

bool LinkServer::listenTcp(quint16 port, const QHostAddress &address, QString *error)
{
    if (!m_local) {
        setError(error, QStringLiteral("the link must be served locally first"));
        return false;
    }
    delete m_tcp;
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(address, port)) {
        setError(
            error,
            QStringLiteral("cannot listen on TCP port %1: %2").arg(port).arg(m_tcp->errorString()));
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    // Through a lack of descriptors it keeps accepting, after a pause.
    auto *acceptor = new TcpAcceptor(m_tcp);
    connect(acceptor, &TcpAcceptor::accepted, this, [this](QTcpSocket *socket) {
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
        adopt(socket);
    });
    return true;
}

void LinkServer::close()
{
    const bool hadClients = clientCount() > 0;
    const auto sockets = m_peers.keys();
    m_peers.clear();
    for (QIODevice *socket : sockets)
        letGo(socket, this);
    delete m_tcp;
    m_tcp = nullptr;
    if (m_local) {
        m_local->close(); // removes the socket file
        delete m_local;
        m_local = nullptr;
    }
    m_socketPath.clear();
    if (hadClients)
        emit clientCountChanged(0);
}

bool LinkServer::isListening() const
{
    return m_local && m_local->isListening();
}

quint16 LinkServer::tcpPort() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

int LinkServer::clientCount() const
{
    int n = 0;
    for (const Peer &peer : m_peers)
        n += peer.linked ? 1 : 0;
    return n;
}

void LinkServer::setValue(const QString &value)
{
    m_value = value;
    const QByteArray frame = LinkProtocol::frame(value);
    QList<QIODevice *> stalled;
    for (auto it = m_peers.cbegin(); it != m_peers.cend(); ++it) {
        if (!it->linked)
            continue;
        QIODevice *socket = it.key();
        if (socket->bytesToWrite() > kMaxBacklog) {
            stalled << socket;
            continue;
        }
        socket->write(frame);
    }
    for (QIODevice *socket : stalled) {
        qWarning("corvane: dropping a link client of %s|%s that reads nothing",
                 qUtf8Printable(m_application), qUtf8Printable(m_topic));
        abortSocket(socket);
        drop(socket);
    }
}

void LinkServer::adopt(QIODevice *socket)
{
    m_peers.insert(socket, Peer());
    connect(socket, &QIODevice::readyRead, this, [this, socket] { readRequest(socket); });
    QTimer::singleShot(kRequestTimeoutMs, socket, [self = QPointer<LinkServer>(this), socket] {
        if (!self)
            return;
        const auto &peers = self->m_peers;
        const auto it = peers.constFind(socket);
        if (it != peers.cend() && !it->linked) {
            abortSocket(socket);
            self->drop(socket);
        }
    });
    if (socket->bytesAvailable() > 0)
        readRequest(socket);
}

void LinkServer::readRequest(QIODevice *socket)
{
    auto it = m_peers.find(socket);
    if (it == m_peers.end())
        return;
    if (it->linked) {
        socket->readAll(); // a linked client has nothing more to say
        return;
    }
    it->request += socket->read(LinkProtocol::kMaxRequestLine - it->request.size() + 1);
    const qsizetype newline = it->request.indexOf('\n');
    if (newline < 0) {
        if (it->request.size() > LinkProtocol::kMaxRequestLine) {
            abortSocket(socket);
            drop(socket);
        }
        return;
    }
    const auto request = LinkProtocol::parseRequest(it->request.left(newline));
    QString refusal;
    if (!request) {
        refusal = QStringLiteral("not a link request");
    } else if (request->application.compare(m_application, Qt::CaseInsensitive) != 0 ||
               request->topic.compare(m_topic, Qt::CaseInsensitive) != 0) {
        refusal = QStringLiteral("this is %1|%2, not %3|%4")
                      .arg(m_application, m_topic, request->application, request->topic);
    } else if (request->item.compare(m_item, Qt::CaseInsensitive) != 0) {
        refusal =
            QStringLiteral("no item \"%1\" here; the item is \"%2\"").arg(request->item, m_item);
    }
    if (!refusal.isEmpty()) {
        socket->write(LinkProtocol::refused(refusal));
        m_peers.erase(it);
        letGo(socket, this);
        return;
    }
    it->linked = true;
    it->request.clear();
    socket->write(LinkProtocol::accepted() + LinkProtocol::frame(m_value));
    emit clientCountChanged(clientCount());
}

void LinkServer::drop(QIODevice *socket)
{
    const auto it = m_peers.find(socket);
    if (it == m_peers.end())
        return;
    const bool linked = it->linked;
    m_peers.erase(it);
    socket->disconnect(this);
    socket->deleteLater();
    if (linked)
        emit clientCountChanged(clientCount());
}

} // namespace corvane
