#include "FeedReceiver.h"

#include "FeedListener.h"

namespace corvane
{

FeedReceiver::FeedReceiver(const FeedEndpoint &endpoint, FeedQueue &queue, int source,
                           QObject *parent)
    : QObject(parent), m_endpoint(endpoint), m_queue(queue), m_source(source)
{
    m_thread.setObjectName(QStringLiteral("feed ") + endpoint.toString());
}

FeedReceiver::~FeedReceiver()
{
    stop();
}

bool FeedReceiver::start(QString *error)
{
    stop();
    m_thread.start();
    m_listener = new FeedListener(m_endpoint, m_queue, m_source);
    m_listener->moveToThread(&m_thread);
    connect(m_listener, &FeedListener::statusChanged, this, [this](const QString &text) {
        m_status = text;
        emit statusChanged(text);
    });
    QString why;
    FeedListener *listener = m_listener;
    QMetaObject::invokeMethod(
        listener,
        [&] {
            why = listener->open();
            m_receiveBuffer = listener->receiveBufferSize();
            m_status = listener->statusText();
        },
        Qt::BlockingQueuedConnection);
    if (!why.isEmpty()) {
        stop();
        if (error)
            *error = why;
        return false;
    }
    return true;
}

void FeedReceiver::stop()
{
    if (!m_listener)
        return;
    // The sockets go on the thread that owns them.
    FeedListener *listener = m_listener;
    m_listener = nullptr;
    QMetaObject::invokeMethod(
        listener, [listener] { delete listener; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace corvane
