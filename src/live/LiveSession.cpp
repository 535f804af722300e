#include "LiveSession.h"

#include "LinkNames.h"
#include "LivePublisher.h"
#include "formats/ImportObserver.h"
#include "formats/SkySweeperLiveFile.h"
#include "store/MessageRecorder.h"
#include "store/TextCodec.h"

#include <QTimer>

namespace corvane
{

namespace
{

QTimer *makeTimer(QObject *parent, const QString &name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setInterval(interval);
    return timer;
}

} // namespace

LiveSession::LiveSession(Store &store, MessageRecorder &recorder, QObject *parent)
    : QObject(parent), m_store(store), m_recorder(recorder), m_frame(store, recorder)
{
    m_dispatchTimer = makeTimer(this, QStringLiteral("tmrDDE"), kDispatchMs);
    connect(m_dispatchTimer, &QTimer::timeout, this, &LiveSession::dispatch);
    // One poll timer for each that a polled type names.
    for (const LiveType &type : LiveTypes::all()) {
        if (!type.pollTimer || timer(QString::fromLatin1(type.pollTimer)))
            continue;
        const bool lines = type.transport == Transport::LineFile;
        QTimer *poll = makeTimer(this, QString::fromLatin1(type.pollTimer),
                                 lines ? kLineFileMs : kBlockFileMs);
        connect(poll, &QTimer::timeout, this,
                lines ? &LiveSession::pollLines : &LiveSession::pollBlocks);
    }
}

LiveSession::~LiveSession()
{
    m_running = false;
    if (m_client)
        m_client->close();
    m_recorder.setPublisher({});
}

QTimer *LiveSession::timer(const QString &name) const
{
    return findChild<QTimer *>(name, Qt::FindDirectChildrenOnly);
}

bool LiveSession::start(const QString &ddeType, const QString &path, QString *error, bool *noServer)
{
    if (m_running)
        stop();
    if (noServer)
        *noServer = false;
    m_ddeType = ddeType;
    m_type = LiveTypes::find(ddeType);
    m_wasLinked = false;
    m_brokenPending = false;
    m_flags.restart = true;
    if (m_type && m_type->isPolled())
        m_flags.liveFile = path;
    m_pollTimer =
        m_type && m_type->pollTimer ? timer(QString::fromLatin1(m_type->pollTimer)) : nullptr;

    bool started = true;
    switch (transport()) {
    case Transport::None:
        break;
    case Transport::Link:
        started = startLink(error, noServer);
        break;
    case Transport::LineFile:
        started = startLineFile(path, error);
        break;
    case Transport::BlockFile:
        started = startBlockFile(path, error);
        break;
    }
    m_running = started;
    return started;
}

bool LiveSession::startLink(QString *error, bool *noServer)
{
    QString why;
    m_client = std::make_unique<LinkClient>();
    connect(m_client.get(), &LinkClient::linked, this, [this] {
        m_wasLinked = true;
        emit linked();
    });
    connect(m_client.get(), &LinkClient::valueReceived, this, &LiveSession::received);
    connect(m_client.get(), &LinkClient::disconnected, this, &LiveSession::peerGone);
    const QString application = QString::fromLatin1(m_type->application);
    const QString topic = QString::fromLatin1(m_type->topic);
    if (!m_client->open(application, topic, LinkNames::defaultItem(), &why, m_linkAddress)) {
        m_client.reset();
        if (noServer)
            *noServer = why == LinkNames::noServerMessage();
        if (error)
            *error = why;
        return false;
    }
    m_dispatchTimer->start();
    return true;
}

bool LiveSession::startLineFile(const QString &path, QString *error)
{
    m_lineFile.setFileName(path);
    if (path.isEmpty() || !m_lineFile.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, m_lineFile.errorString());
        return false;
    }
    m_linePosition = 0;
    // What the file holds now stands for the connect-time value: it is
    // queued, even when empty, so that the first pass discards it and only
    // lines appended from now on are recorded.
    QString text;
    readNewLines(&text);
    received(text);
    m_pollTimer->start();
    m_dispatchTimer->start();
    return true;
}

bool LiveSession::startBlockFile(const QString &path, QString *error)
{
    QString why;
    m_blockFile =
        std::make_unique<SkySweeperLiveFile>(m_store, m_recorder, m_type->makeBlockReader);
    if (!m_blockFile->open(path, &why)) {
        m_blockFile.reset();
        if (error)
            *error = why;
        return false;
    }
    m_pollTimer->start();
    return true;
}

void LiveSession::stopPollTimers()
{
    for (QTimer *t : findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        if (t != m_dispatchTimer)
            t->stop();
}

void LiveSession::stopTimers()
{
    stopPollTimers();
    m_dispatchTimer->stop();
}

void LiveSession::stop()
{
    m_running = false;
    if (m_client) {
        m_client->close();
        m_client.release()->deleteLater();
    }
    m_lineFile.close();
    if (m_blockFile) {
        m_blockFile->close();
        m_blockFile.reset();
    }
    stopPollTimers();
    // Values already received are recorded before the link is left; a pass
    // running now (stop from within its event processing) finishes them.
    if (!m_flags.busy) {
        dispatch();
        m_flags.restart = true;
    }
    m_dispatchTimer->stop();
}

void LiveSession::received(const QString &value)
{
    m_waiting.enqueue(value);
    m_flags.handled = false;
}

void LiveSession::peerGone()
{
    m_brokenWhy = m_client ? m_client->errorString() : QString();
    if (m_client)
        m_client.release()->deleteLater();
    m_running = false;
    stopTimers();
    m_brokenPending = true;
    if (!m_flags.busy)
        dispatch();
    if (m_brokenPending) { // the running pass reports it when it ends
        m_brokenPending = false;
        m_flags.restart = true;
        emit linkBroken(m_brokenWhy, m_wasLinked);
    }
}

void LiveSession::dispatch()
{
    if (m_flags.busy)
        return;
    if (m_waiting.isEmpty()) {
        m_flags.handled = true;
        return;
    }
    m_flags.busy = true;
    // A pass may let events run: values that arrive meanwhile join the
    // queue and are taken by this loop, each by a pass of its own.
    while (!m_waiting.isEmpty())
        runPass(m_waiting.dequeue());
    m_flags.busy = false;
    m_flags.handled = true;
    if (!m_running)
        m_flags.restart = true;
    if (m_brokenPending && !m_running) {
        m_brokenPending = false;
        emit linkBroken(m_brokenWhy, m_wasLinked);
    }
}

void LiveSession::publishHook(bool on)
{
    if (!on) {
        m_recorder.setPublisher({});
        return;
    }
    // Only live passes publish: imports share the recorder.
    m_recorder.setPublisher([this](const MessageRecord &message) {
        if (m_publishing && m_publisher)
            m_publisher->publish(message);
    });
}

void LiveSession::runPass(const QString &value)
{
    if (!m_type)
        return;
    publishHook(true);
    const LivePassResult result = m_frame.run(*m_type, value, m_flags, &m_newPairs, m_observer);
    publishHook(false);
    if (!m_type->pass.recordsNothing)
        emit passFinished(result);
    emit valueHandled(result.discarded ? QString() : value);
}

bool LiveSession::readNewLines(QString *text)
{
    text->clear();
    const qint64 size = m_lineFile.size();
    if (size < m_linePosition) // the decoder started the file afresh
        m_linePosition = 0;
    if (size == m_linePosition || !m_lineFile.seek(m_linePosition))
        return false;
    const QByteArray bytes = m_lineFile.read(size - m_linePosition);
    // A line the decoder is still writing waits for its line end.
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0)
        return false;
    m_linePosition += end + 1;
    *text = TextCodec::decode(bytes.constData(), end + 1);
    return true;
}

void LiveSession::pollLines()
{
    ImportObserver none;
    ImportObserver &obs = m_observer ? *m_observer : none;
    obs.status(QStringLiteral("Checking..."));
    QString text;
    if (readNewLines(&text))
        received(text);
    obs.status(QString());
}

void LiveSession::pollBlocks()
{
    if (!m_blockFile)
        return;
    QTimer *own = m_pollTimer;
    own->stop(); // a long pass is not entered again by its own timer
    ImportObserver none;
    ImportObserver &obs = m_observer ? *m_observer : none;
    obs.status(QStringLiteral("Checking..."));
    publishHook(true);
    const LivePassResult result = m_blockFile->poll(&m_newPairs, m_observer);
    publishHook(false);
    obs.status(QString());
    emit passFinished(result);
    if (m_running && m_blockFile)
        own->start();
}

} // namespace corvane
