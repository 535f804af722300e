#include "LiveSession.h"

#include "LinkNames.h"
#include "LivePublisher.h"
#include "app/AppState.h"
#include "formats/FormatRegistry.h"
#include "formats/ImportObserver.h"
#include "formats/SkySweeperLiveFile.h"
#include "store/MessageRecorder.h"
#include "store/TextCodec.h"

#include <QTimer>

namespace corvane
{

namespace
{

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

LiveSession::LiveSession(Store &store, MessageRecorder &recorder, QObject *parent)
    : QObject(parent), m_store(store), m_recorder(recorder), m_frame(store, recorder)
{
    m_dispatchTimer = makeTimer(this, "tmrDDE", kDispatchMs);
    m_lineTimer = makeTimer(this, "tmrLive", kLineFileMs);
    m_hfTimer = makeTimer(this, "tmrLiveSSHF", kBlockFileMs);
    m_vhfTimer = makeTimer(this, "tmrLiveSSVHF", kBlockFileMs);
    connect(m_dispatchTimer, &QTimer::timeout, this, &LiveSession::dispatch);
    connect(m_lineTimer, &QTimer::timeout, this, &LiveSession::pollLines);
    connect(m_hfTimer, &QTimer::timeout, this, &LiveSession::pollBlocks);
    connect(m_vhfTimer, &QTimer::timeout, this, &LiveSession::pollBlocks);
}

LiveSession::~LiveSession()
{
    m_running = false;
    if (m_client)
        m_client->close();
    m_recorder.setPublisher({});
}

LiveSession::Transport LiveSession::transportFor(const QString &ddeType)
{
    const LiveFormat *format = FormatRegistry::liveFormat(ddeType);
    if (!format)
        return Transport::None;
    if (format->polledFile)
        return Transport::BlockFile;
    if (!LinkNames::forDdeType(ddeType))
        return Transport::LineFile;
    return Transport::Link;
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
    m_format = FormatRegistry::liveFormat(ddeType);
    m_transport = transportFor(ddeType);
    m_wasLinked = false;
    m_brokenPending = false;
    AppState::instance().blnLiveRestart = true;
    QString why;

    switch (m_transport) {
    case Transport::None:
        break;
    case Transport::Link: {
        const auto name = LinkNames::forDdeType(ddeType);
        m_client = std::make_unique<LinkClient>();
        connect(m_client.get(), &LinkClient::linked, this, [this] {
            m_wasLinked = true;
            emit linked();
        });
        connect(m_client.get(), &LinkClient::valueReceived, this, &LiveSession::received);
        connect(m_client.get(), &LinkClient::disconnected, this, &LiveSession::peerGone);
        if (!m_client->open(name->application, name->topic, LinkNames::defaultItem(), &why)) {
            m_client.reset();
            if (noServer)
                *noServer = why == LinkNames::noServerMessage();
            if (error)
                *error = why;
            return false;
        }
        m_dispatchTimer->start();
        break;
    }
    case Transport::LineFile: {
        m_lineFile.setFileName(path);
        if (path.isEmpty() || !m_lineFile.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Cannot open %1: %2").arg(path, m_lineFile.errorString());
            return false;
        }
        m_linePosition = 0;
        // What the file holds now stands for the connect-time value: it is
        // queued, even when empty, so that the first pass discards it and
        // only lines appended from now on are recorded.
        QString text;
        readNewLines(&text);
        received(text);
        m_lineTimer->start();
        m_dispatchTimer->start();
        break;
    }
    case Transport::BlockFile: {
        SkySweeperLiveFile::Band band;
        SkySweeperLiveFile::bandFor(ddeType, &band);
        m_blockFile = std::make_unique<SkySweeperLiveFile>(m_store, m_recorder, band);
        if (!m_blockFile->open(path, &why)) {
            m_blockFile.reset();
            if (error)
                *error = why;
            return false;
        }
        m_blockTimer = band == SkySweeperLiveFile::Band::Hf ? m_hfTimer : m_vhfTimer;
        m_blockTimer->start();
        break;
    }
    }
    m_running = true;
    return true;
}

void LiveSession::stopTimers()
{
    m_lineTimer->stop();
    m_hfTimer->stop();
    m_vhfTimer->stop();
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
    m_lineTimer->stop();
    m_hfTimer->stop();
    m_vhfTimer->stop();
    // Values already received are recorded before the link is left; a pass
    // running now (stop from within its event processing) finishes them.
    if (!AppState::instance().blnLiveBusy) {
        dispatch();
        AppState::instance().blnLiveRestart = true;
    }
    m_dispatchTimer->stop();
}

void LiveSession::received(const QString &value)
{
    m_waiting.enqueue(value);
    AppState::instance().blnLiveHandled = false;
}

void LiveSession::peerGone()
{
    m_brokenWhy = m_client ? m_client->errorString() : QString();
    if (m_client)
        m_client.release()->deleteLater();
    m_running = false;
    stopTimers();
    m_brokenPending = true;
    if (!AppState::instance().blnLiveBusy)
        dispatch();
    if (m_brokenPending) { // the running pass reports it when it ends
        m_brokenPending = false;
        AppState::instance().blnLiveRestart = true;
        emit linkBroken(m_brokenWhy, m_wasLinked);
    }
}

void LiveSession::dispatch()
{
    AppState &state = AppState::instance();
    if (state.blnLiveBusy)
        return;
    if (m_waiting.isEmpty()) {
        state.blnLiveHandled = true;
        return;
    }
    state.blnLiveBusy = true;
    // A pass may let events run: values that arrive meanwhile join the
    // queue and are taken by this loop, each by a pass of its own.
    while (!m_waiting.isEmpty())
        runPass(m_waiting.dequeue());
    state.blnLiveBusy = false;
    state.blnLiveHandled = true;
    if (!m_running)
        state.blnLiveRestart = true;
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
    if (!m_format)
        return;
    publishHook(true);
    const LivePassResult result = m_frame.run(*m_format, value, &m_newPairs, m_observer);
    publishHook(false);
    if (!m_format->recordsNothing)
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
    QTimer *own = m_blockTimer;
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
