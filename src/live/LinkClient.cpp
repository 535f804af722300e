#include "LinkClient.h"

#include "LinkNames.h"
#include "store/TextCodec.h"

#include <QLocalSocket>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace corvane
{

LinkClient::LinkClient(QObject *parent) : QObject(parent) {}

LinkClient::~LinkClient()
{
    close();
}

bool LinkClient::open(const QString &application, const QString &topic, const QString &item,
                      QString *error, const QString &address)
{
    close();
    QString problem = LinkNames::checkNames(application, topic, item);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    const auto remote = LinkNames::configuredAddress(address, application, topic, &problem);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    if (remote)
        return openAt(remote->host, remote->port, application, topic, item, error);

    auto *socket = new QLocalSocket(this);
    m_socket = socket;
    // A local connection is complete as soon as the server's socket takes
    // it; no reply is needed for that, so this does not wait on the server.
    socket->connectToServer(LinkNames::socketPath(application, topic));
    if (!socket->waitForConnected(kTimeoutMs)) {
        close();
        if (error)
            *error = LinkNames::noServerMessage();
        return false;
    }
    connect(socket, &QLocalSocket::disconnected, this, &LinkClient::peerClosed);
    ask(application, topic, item);
    return true;
}

bool LinkClient::openAt(const QString &host, quint16 port, const QString &application,
                        const QString &topic, const QString &item, QString *error)
{
    close();
    const QString problem = LinkNames::checkNames(application, topic, item);
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    auto *socket = new QTcpSocket(this);
    m_socket = socket;
    socket->connectToHost(host, port);
    if (!socket->waitForConnected(kTimeoutMs)) {
        close();
        if (error)
            *error = LinkNames::noServerMessage();
        return false;
    }
    connect(socket, &QTcpSocket::disconnected, this, &LinkClient::peerClosed);
    ask(application, topic, item);
    return true;
}

void LinkClient::ask(const QString &application, const QString &topic, const QString &item)
{
    m_state = State::Asking;
    m_error.clear();
    m_socket->write(LinkProtocol::request(application, topic, item));
    connect(m_socket, &QIODevice::readyRead, this, &LinkClient::deliver);
    m_answerTimer = new QTimer(this);
    m_answerTimer->setSingleShot(true);
    connect(m_answerTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Asking)
            finish(LinkNames::noServerMessage());
    });
    m_answerTimer->start(kTimeoutMs);
}

void LinkClient::close()
{
    delete m_answerTimer;
    m_answerTimer = nullptr;
    if (m_socket) {
        QIODevice *socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        if (auto *local = qobject_cast<QLocalSocket *>(socket))
            local->abort();
        else if (auto *tcp = qobject_cast<QTcpSocket *>(socket))
            tcp->abort();
        socket->deleteLater();
    }
    m_state = State::Closed;
    m_reader = LinkProtocol::FrameReader();
    m_delivering = false;
    m_closedByPeer = false;
}

// Reads the server's one-line answer; false while it is incomplete or when
// it ended the link.
bool LinkClient::readAnswer()
{
    if (!m_socket->canReadLine()) {
        if (m_socket->bytesAvailable() > LinkProtocol::kMaxRequestLine)
            finish(LinkNames::noServerMessage());
        return false;
    }
    const QByteArray answer = m_socket->readLine();
    if (answer == LinkProtocol::accepted()) {
        m_state = State::Linked;
        delete m_answerTimer;
        m_answerTimer = nullptr;
        return true;
    }
    if (answer.startsWith("ERR "))
        finish(QStringLiteral("The link server refused the link: ") +
               TextCodec::decode(answer.mid(4).trimmed()));
    else
        finish(LinkNames::noServerMessage());
    return false;
}

void LinkClient::deliver()
{
    // A slot that runs the event loop (a long pass that keeps the window
    // alive) must not start a second delivery: the values behind the one it
    // is handling would overtake it. The outer loop picks them up instead.
    if (m_delivering || !m_socket)
        return;
    QIODevice *const socket = m_socket;
    QPointer<LinkClient> self(this);
    if (m_state == State::Asking) {
        if (!readAnswer()) {
            if (m_socket && m_closedByPeer)
                finish(LinkNames::noServerMessage());
            return;
        }
        emit linked();
        if (!self || m_socket != socket)
            return;
    }
    m_delivering = true;
    for (;;) {
        m_reader.append(socket->readAll());
        QString value;
        const auto result = m_reader.next(&value);
        if (result == LinkProtocol::FrameReader::Result::Malformed) {
            m_delivering = false;
            finish(QStringLiteral("the server sent something that is not a value"));
            return;
        }
        if (result == LinkProtocol::FrameReader::Result::NeedMore)
            break;
        emit valueReceived(value);
        if (!self || m_socket != socket)
            return; // closed or deleted by a slot
    }
    m_delivering = false;
    if (m_closedByPeer)
        finish(m_reader.isEmpty() ? QStringLiteral("the server closed the link")
                                  : QStringLiteral("the server closed the link in the middle of "
                                                   "a value"));
}

void LinkClient::peerClosed()
{
    if (!m_socket)
        return;
    // Values still buffered go out before the end is reported.
    m_closedByPeer = true;
    deliver();
}

void LinkClient::finish(const QString &why)
{
    close();
    m_error = why;
    emit disconnected();
}

} // namespace corvane
