#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QIODevice;
class QTcpServer;

namespace corvane
{

class LocalListener;

// The server end: one text item under (application, topic). A client that
// links gets the current value at once (empty text while there is none) and
// then every new value, whole and in order.
class LinkServer : public QObject
{
    Q_OBJECT
public:
    explicit LinkServer(QObject *parent = nullptr);
    ~LinkServer() override;

    // Listens on the local socket of (application, topic). A socket file
    // left behind by a server that died is replaced; one that a live server
    // listens on is not, and listen() fails with "already served".
    bool listen(const QString &application, const QString &topic, const QString &item,
                QString *error = nullptr);
    // Also listens on a TCP port, for clients on other machines; call after
    // listen(). Port 0 picks a free port (see tcpPort()).
    bool listenTcp(quint16 port, const QHostAddress &address = QHostAddress::Any,
                   QString *error = nullptr);
    // Stops listening, ends every link and removes the socket file.
    void close();
    bool isListening() const;

    QString application() const { return m_application; }
    QString topic() const { return m_topic; }
    QString item() const { return m_item; }
    QString socketPath() const { return m_socketPath; }
    quint16 tcpPort() const;

    // Makes value the current value and sends it to every linked client.
    void setValue(const QString &value);
    QString value() const { return m_value; }
    // Clients that have asked for the item and are linked now.
    int clientCount() const;

    // A client that lets more than this pile up unread is dropped.
    static constexpr qint64 kMaxBacklog = 64 * 1024 * 1024;
    // A client that has not asked for the item within this time is dropped.
    static constexpr int kRequestTimeoutMs = 10000;
    // On close, a client gets this long to take what was sent to it.
    static constexpr int kCloseTimeoutMs = 5000;

signals:
    void clientCountChanged(int count);
    // Local clients can no longer link (accepting failed for good, not for
    // a passing lack of descriptors); the server has stopped listening there.
    void listenFailed(const QString &why);

private:
    struct Peer {
        QByteArray request;
        bool linked = false;
    };

    void adopt(QIODevice *socket);
    void readRequest(QIODevice *socket);
    void drop(QIODevice *socket);

    LocalListener *m_local = nullptr;
    QTcpServer *m_tcp = nullptr;
    QString m_application;
    QString m_topic;
    QString m_item;
    QString m_socketPath;
    QString m_value;
    QHash<QIODevice *, Peer> m_peers;
};

} // namespace corvane
