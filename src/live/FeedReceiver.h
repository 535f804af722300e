#pragma once

#include "FeedEndpoint.h"
#include "FeedQueue.h"

#include <QObject>
#include <QThread>

namespace corvane
{

class FeedListener;

// One feed received on a thread of its own that does nothing else: the
// kernel's receive buffer holds only so many datagrams, so reading must not
// wait for a commit or a busy window. What arrives is queued, as chunks of
// source, for the dispatch tick to take.
class FeedReceiver : public QObject
{
    Q_OBJECT
public:
    FeedReceiver(const FeedEndpoint &endpoint, FeedQueue &queue, int source,
                 QObject *parent = nullptr);
    ~FeedReceiver() override;

    // False with the reason when the socket cannot be opened.
    bool start(QString *error);
    void stop();
    const FeedEndpoint &endpoint() const { return m_endpoint; }
    // "Listening on udp:127.0.0.1:5555", "Connected to HOST:PORT",
    // "Waiting for HOST:PORT" or "Cannot accept on ...".
    QString statusText() const { return m_status; }
    int receiveBufferSize() const { return m_receiveBuffer; }

signals:
    void statusChanged(const QString &text);

private:
    FeedEndpoint m_endpoint;
    FeedQueue &m_queue;
    int m_source;
    QThread m_thread;
    FeedListener *m_listener = nullptr; // lives on m_thread
    QString m_status;
    int m_receiveBuffer = 0;
};

} // namespace corvane
