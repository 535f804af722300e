#pragma once

#include "LinkProtocol.h"

#include <QObject>
#include <QString>

class QIODevice;
class QTimer;

namespace corvane
{

// The client end of an automatic link: after open() the server's current
// value and then every new value arrive through valueReceived, each one
// whole, once and in the order sent, on the thread that owns the client.
//
// The link goes to the local socket of (application, topic), or to the
// "host:port" address the caller hands in (what settings group "Links"
// names for the link's "DDEType").
class LinkClient : public QObject
{
    Q_OBJECT
public:
    explicit LinkClient(QObject *parent = nullptr);
    ~LinkClient() override;

    // Connects and asks for the item. Fails at once, with
    // LinkNames::noServerMessage() in *error, when nothing listens. The
    // server's answer comes through the event loop: linked() when it takes
    // the link, disconnected() with errorString() when it refuses it or
    // does not answer within kTimeoutMs. A non-blank address sends the
    // link over TCP to that "host:port"; one that is not host:port fails.
    bool open(const QString &application, const QString &topic, const QString &item,
              QString *error = nullptr, const QString &address = {});
    // The same to an explicit host and port.
    bool openAt(const QString &host, quint16 port, const QString &application, const QString &topic,
                const QString &item, QString *error = nullptr);
    // Ends the link; no signal follows.
    void close();
    bool isOpen() const { return m_socket != nullptr; }
    // True once the server has taken the link.
    bool isLinked() const { return m_state == State::Linked; }

    // Why the link ended, after disconnected().
    QString errorString() const { return m_error; }

    static constexpr int kTimeoutMs = 3000;

signals:
    void linked();
    void valueReceived(const QString &value);
    // The link ended from the other side (or never came about); values
    // that arrived whole before that have all been delivered.
    void disconnected();

private:
    enum class State { Closed, Asking, Linked };

    void ask(const QString &application, const QString &topic, const QString &item);
    bool readAnswer();
    void deliver();
    void peerClosed();
    void finish(const QString &why);

    QIODevice *m_socket = nullptr;
    QTimer *m_answerTimer = nullptr;
    State m_state = State::Closed;
    LinkProtocol::FrameReader m_reader;
    QString m_error;
    bool m_delivering = false;
    bool m_closedByPeer = false;
};

} // namespace corvane
