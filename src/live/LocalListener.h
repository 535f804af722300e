#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLocalSocket;
class QSocketNotifier;

namespace corvane
{

// A listening local (Unix domain) socket that takes a lack of file
// descriptors as the passing trouble it is: the accept is tried again after
// a pause, and the socket file stays where it is for as long as we serve.
// (QLocalServer closes itself and removes its file on the first failed
// accept, after which no client can link again.)
class LocalListener : public QObject
{
    Q_OBJECT
public:
    explicit LocalListener(QObject *parent = nullptr);
    ~LocalListener() override;

    // Binds and listens on path, readable and writable by this user only.
    // The caller has removed a stale file first.
    bool listen(const QString &path, QString *error = nullptr);
    // Stops listening and removes the socket file, if it is still ours.
    void close();
    bool isListening() const { return m_fd >= 0; }
    QString path() const { return m_path; }

    // Pauses between accepts while descriptors run short.
    static constexpr int kFirstBackoffMs = 50;
    static constexpr int kLongestBackoffMs = 1000;

signals:
    // A client connected; the socket is parented to nobody, the receiver
    // takes it.
    void newConnection(QLocalSocket *socket);
    // Accepting failed for good; the listener has closed.
    void failed(const QString &why);

private:
    void acceptAll();
    void backOff();

    int m_fd = -1;
    QString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_retry;
    int m_backoffMs = kFirstBackoffMs;
};

} // namespace corvane
