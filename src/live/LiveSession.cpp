#include "LiveSession.h"

#include "FeedEndpoint.h"
#include "FeedReceiver.h"
#include "HeapTrim.h"
#include "LinkNames.h"
#include "LivePublisher.h"
#include "LiveTextBlock.h"
#include "formats/ImportObserver.h"
#include "formats/SkySweeperLiveFile.h"
#include "recording/RecorderThread.h"
#include "settings/Settings.h"
#include "store/MessageTime.h"
#include "store/OpenStoreFiles.h"
#include "store/Recorder.h"
#include "store/StoreError.h"
#include "store/TextCodec.h"

#include <QTimer>

#include <algorithm>

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

// Collects, on the recorder thread, what a job's passes report to the
// window: the pairs heard for the first time.
struct PairCollector : NewPairsSink {
    QList<QPair<QString, QString>> pairs;
    void newPair(const QString &registration, const QString &flight) override
    {
        pairs.append({registration, flight});
    }
};

// Matches each value against the words and writes the rows found, all in
// one transaction; the reason when the alert log could not take them.
QString addAlerts(Recorder &recorder, const AlertMatcher *words, const QStringList &values,
                  QList<AlertRow> *rows)
{
    if (!words)
        return {};
    const QList<AlertRow> found = words->rowsFor(values, MessageTime::now().toStorage());
    try {
        recorder.recordAlerts(found);
    } catch (const StoreError &e) {
        return QStringLiteral("The alert log could not be written: %1").arg(e.message());
    }
    *rows = found;
    return {};
}

// The texts the alerts are matched against: each stored message's own text,
// not the headers around it, which would match words such as "--".
QStringList textsOf(const std::vector<MessageRecord> &messages)
{
    QStringList texts;
    for (const MessageRecord &message : messages)
        texts << message.mText;
    return texts;
}

// Messages the store could not take yet are held, not stored: the passes
// tell how many, and that they stored nothing.
void noteHeld(const Recorder &recorder, std::vector<LivePassResult> &results)
{
    for (LivePassResult &r : results)
        r.noteHold(recorder);
}

} // namespace

// What the recorder thread keeps for the session between jobs.
struct LiveSession::Work {
    LiveDayCounts counts;
    std::unique_ptr<SkySweeperLiveFile> blockFile;
};

// What one job hands back to the session.
struct LiveSession::Delivery {
    QStringList values; // empty for a block-file poll
    std::vector<LivePassResult> results;
    QList<QPair<QString, QString>> newPairs;
    std::vector<MessageRecord> committed;
    const LiveType *type = nullptr;
    QList<AlertRow> alerts;
    QString alertError;
    bool feed = false; // a feed job: each stored message is a handled value
};

// A datagram or line of one of the running feeds.
struct LiveSession::FeedValue {
    const LiveType *type;
    QByteArray bytes;
};

LiveSession::LiveSession(RecorderThread &recorder, QObject *parent)
    : QObject(parent), m_recorder(recorder), m_work(std::make_shared<Work>()),
      m_feedQueueLimit(Settings::kDefaultFeedQueueMegabytes << 20)
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
    // What was received is stored even when the window closes on a running
    // link; nobody is left to hear of it.
    blockSignals(true);
    if (m_running)
        stop();
    if (m_client)
        m_client->close();
    // Jobs of this session capture nothing of it but the shared work; their
    // results, posted to this object, are dropped with it.
    m_recorder.drain();
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
    case Transport::Feed:
        m_flags.restart = false;
        started = startFeeds(error);
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
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
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
    // Opened here to tell the user at once; the recorder thread reads its
    // own handle from the same start.
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    QFile probe(path);
    if (path.isEmpty() || !probe.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot open %1: %2").arg(path, probe.errorString());
        return false;
    }
    const BlockReaderFactory makeReader = m_type->makeBlockReader;
    std::shared_ptr<Work> work = m_work;
    m_recorder.submit([work, makeReader, path](RecorderJobContext &) {
        work->blockFile = std::make_unique<SkySweeperLiveFile>(makeReader);
        if (!work->blockFile->open(path))
            work->blockFile.reset();
    });
    m_blockFileOpen = true;
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
    // The sockets close first; what they queued is still recorded below.
    for (auto &feed : m_feeds)
        feed.second->stop();
    if (m_client) {
        m_client->close();
        m_client.release()->deleteLater();
    }
    m_lineFile.close();
    if (m_blockFileOpen) {
        std::shared_ptr<Work> work = m_work;
        m_recorder.submit([work](RecorderJobContext &) { work->blockFile.reset(); });
        m_blockFileOpen = false;
    }
    stopPollTimers();
    // Values already received are handed to the recorder before the link is
    // left; the next link starts by discarding its connect-time value.
    dispatch();
    m_feeds.clear();
    m_feedQueue.reset();
    m_flags.restart = true;
    m_dispatchTimer->stop();
}

void LiveSession::setAlerts(std::shared_ptr<const AlertMatcher> words)
{
    m_alerts = std::move(words);
    m_flags.alertsOpen = m_alerts != nullptr;
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
    dispatch();
    m_flags.restart = true;
    m_brokenPending = true;
    // Reported once every value received before has been recorded.
    if (m_inFlight == 0)
        reportBroken();
}

void LiveSession::reportBroken()
{
    if (!m_brokenPending)
        return;
    m_brokenPending = false;
    emit linkBroken(m_brokenWhy, m_wasLinked);
}

void LiveSession::dispatch()
{
    if (m_feedQueue) {
        dispatchFeeds();
        return;
    }
    if (m_waiting.isEmpty()) {
        m_flags.handled = m_inFlight == 0;
        return;
    }
    QStringList values;
    QStringList matchedOnly; // of a type that records nothing
    while (!m_waiting.isEmpty()) {
        const QString value = m_waiting.dequeue();
        if (!m_type)
            continue;
        if (m_type->pass.recordsNothing) {
            emit valueHandled(value);
            matchedOnly << value;
            continue;
        }
        if (m_flags.restart) {
            // The value the link held when it opened.
            m_flags.restart = false;
            LivePassResult discarded;
            discarded.discarded = true;
            emit passFinished(discarded);
            emit valueHandled(QString());
            continue;
        }
        values << value;
    }
    if (!values.isEmpty())
        submitPasses(values);
    if (!matchedOnly.isEmpty() && m_alerts)
        submitAlertsOnly(matchedOnly);
    m_flags.handled = m_inFlight == 0;
}

void LiveSession::submitAlertsOnly(const QStringList &values)
{
    std::shared_ptr<const AlertMatcher> words = m_alerts;
    ++m_inFlight;
    m_flags.busy = true;
    m_recorder.submit([this, words, values](RecorderJobContext &c) {
        Delivery out;
        out.alertError = addAlerts(c.recorder, words.get(), values, &out.alerts);
        RecorderThread::post(this, [this, out] { deliver(out); });
    });
}

void LiveSession::submitPasses(const QStringList &values)
{
    const LiveType *type = m_type;
    std::shared_ptr<Work> work = m_work;
    std::shared_ptr<const AlertMatcher> words = m_alerts;
    ++m_inFlight;
    m_flags.busy = true;
    m_recorder.submit([this, work, type, values, words](RecorderJobContext &c) {
        Delivery out;
        out.values = values;
        out.type = type;
        PairCollector pairs;
        c.recorder.setPublisher(
            [&out](const MessageRecord &message) { out.committed.push_back(message); });
        ImportObserver none;
        LivePassFrame frame(c.folder, c.recorder, work->counts);
        for (const QString &value : values) {
            LivePassResult result;
            try {
                result = frame.read(*type, value, &pairs, none);
            } catch (const StoreError &e) {
                result.read = false;
                result.storeFailed = true;
                result.error =
                    QStringLiteral("%1: %2").arg(LivePassFrame::liveFileName(), e.message());
            }
            out.results.push_back(result);
        }
        try {
            c.recorder.commitBatch();
        } catch (const StoreError &e) {
            for (LivePassResult &r : out.results) {
                r.read = false;
                r.storeFailed = true;
                r.error = QStringLiteral("%1: %2").arg(LivePassFrame::liveFileName(), e.message());
            }
        }
        // Messages of a batch that was rolled back were counted as they were
        // read; the latest passes lose them.
        qint64 lost = c.recorder.takeRolledBack();
        for (auto r = out.results.rbegin(); r != out.results.rend() && lost > 0; ++r) {
            const qint64 taken = std::min(lost, r->stored);
            r->takeBack(taken);
            lost -= taken;
        }
        c.recorder.setPublisher({});
        if (!out.results.empty())
            frame.writeLastValue(out.results.back(), none);
        // The end-of-pass steps once for the passes committed together: what
        // they report is the same for each.
        LivePassResult figures;
        frame.endOfPass(figures);
        for (LivePassResult &r : out.results) {
            if (!r.read)
                continue;
            r.today = figures.today;
            r.todayAll = figures.todayAll;
            r.messagesPerHour = figures.messagesPerHour;
            r.aircraftPerHour = figures.aircraftPerHour;
        }
        noteHeld(c.recorder, out.results);
        out.newPairs = pairs.pairs;
        out.alertError = addAlerts(c.recorder, words.get(), textsOf(out.committed), &out.alerts);
        RecorderThread::post(this, [this, out] { deliver(out); });
    });
}

void LiveSession::deliver(const Delivery &d)
{
    for (const auto &[registration, flight] : d.newPairs)
        m_newPairs.newPair(registration, flight);
    if (m_publishing && m_publisher)
        for (const MessageRecord &message : d.committed)
            m_publisher->publish(message);
    if (d.feed)
        for (const MessageRecord &message : d.committed)
            emit valueHandled(LiveTextBlock::build(message));
    ImportObserver none;
    ImportObserver &obs = m_observer ? *m_observer : none;
    bool anyRead = false;
    for (size_t i = 0; i < d.results.size(); ++i) {
        const LivePassResult &r = d.results[i];
        if (!r.read && !r.error.isEmpty())
            obs.message(r.error);
        anyRead = anyRead || r.read;
        if (r.read && d.type && d.type->pass.announcesUpdate) {
            obs.status(QStringLiteral("Updating database..."));
            obs.status(QString());
        }
    }
    // The grids are brought up to date once for all the passes of the job.
    if (anyRead)
        obs.finishLog();
    for (size_t i = 0; i < d.results.size(); ++i) {
        emit passFinished(d.results[i]);
        if (i < size_t(d.values.size()))
            emit valueHandled(d.values[int(i)]);
    }
    if (!d.alertError.isEmpty())
        obs.message(d.alertError);
    if (!d.alerts.isEmpty())
        emit alertsAdded(d.alerts);
    if (--m_inFlight == 0) {
        m_flags.busy = false;
        m_flags.handled = m_waiting.isEmpty();
        if (!m_running)
            reportBroken();
    }
    // A backlog goes on at once, not at the next tick.
    if (d.feed && --m_feedPassesInFlight == 0 && m_running && m_feedQueue &&
        !m_feedQueue->isEmpty())
        dispatchFeeds();
}

QString LiveSession::feedListen(const LiveType &feedType) const
{
    const QString value = m_feedListen.value(feedType.name());
    return value.isEmpty() ? QString::fromLatin1(feedType.defaultListen) : value;
}

QString LiveSession::feedStatusText() const
{
    QStringList parts;
    for (const auto &feed : m_feeds)
        parts << feed.second->statusText();
    return parts.join(QStringLiteral("; "));
}

int LiveSession::feedReceiveBuffer() const
{
    return m_feeds.empty() ? 0 : m_feeds.front().second->receiveBufferSize();
}

bool LiveSession::startFeeds(QString *error)
{
    const QStringList names = m_type->isFeedGroup() ? m_enabledFeeds : QStringList{m_ddeType};
    QString why;
    m_feedQueue = std::make_unique<FeedQueue>(m_feedQueueLimit);
    m_feedTypes.clear();
    m_feedDropped = 0;
    m_trimDue = false;
    for (const QString &name : names) {
        const LiveType *type = LiveTypes::find(name.trimmed());
        if (!type || !type->isFeed() || type->isFeedGroup()) {
            why = QStringLiteral("There is no feed named \"%1\".").arg(name.trimmed());
            break;
        }
        const QString value = feedListen(*type);
        const std::optional<FeedEndpoint> endpoint = FeedEndpoint::parse(value);
        if (!endpoint) {
            why = QStringLiteral("%1: \"%2\" is not udp:[ADDRESS:]PORT, tcp-listen:[ADDRESS:]PORT "
                                 "or tcp:HOST:PORT.")
                      .arg(type->name(), value);
            break;
        }
        auto receiver =
            std::make_unique<FeedReceiver>(*endpoint, *m_feedQueue, int(m_feeds.size()));
        if (!receiver->start(&why))
            break;
        connect(receiver.get(), &FeedReceiver::statusChanged, this,
                [this] { emit feedStatusChanged(feedStatusText()); });
        m_feeds.emplace_back(type, std::move(receiver));
        m_feedTypes.push_back(type);
    }
    if (names.isEmpty())
        why = QStringLiteral("No feeds are enabled.");
    if (!why.isEmpty()) {
        m_feeds.clear();
        m_feedQueue.reset();
        if (error)
            *error = why;
        return false;
    }
    m_dispatchTimer->start();
    return true;
}

void LiveSession::dispatchFeeds()
{
    // While running, the backlog waits in the bounded queue rather than in
    // the recorder's jobs; at the stop, all of it goes.
    const bool all = !m_running;
    if (!all && m_feedPassesInFlight > 0) {
        m_flags.handled = false;
        return;
    }
    if (m_feedQueue->takePeakBytes() > kTrimAfterBytes)
        m_trimDue = true;
    do {
        std::vector<FeedValue> values;
        for (FeedChunk &chunk : m_feedQueue->take(kFeedPassBytes))
            values.push_back({m_feedTypes[size_t(chunk.source)], std::move(chunk.bytes)});
        const FeedQueue::Counts counts = m_feedQueue->takeCounts();
        if (values.empty() && !counts.any())
            break;
        m_feedDropped += counts.dropped;
        submitFeedPass(std::move(values), counts);
    } while (all);
    if (m_trimDue && m_feedPassesInFlight == 0 && m_feedQueue->isEmpty()) {
        HeapTrim::giveBack();
        m_trimDue = false;
    }
    m_flags.handled = m_inFlight == 0;
}

void LiveSession::submitFeedPass(std::vector<FeedValue> values, const FeedQueue::Counts &counts)
{
    std::shared_ptr<Work> work = m_work;
    const QString name = m_ddeType;
    ++m_inFlight;
    ++m_feedPassesInFlight;
    m_flags.busy = true;
    auto shared = std::make_shared<std::vector<FeedValue>>(std::move(values));
    std::shared_ptr<const AlertMatcher> words = m_alerts;
    m_recorder.submit([this, work, name, shared, counts, words](RecorderJobContext &c) {
        Delivery out;
        out.feed = true;
        PairCollector pairs;
        c.recorder.setPublisher(
            [&out](const MessageRecord &message) { out.committed.push_back(message); });
        ImportObserver none;
        LivePassFrame frame(c.folder, c.recorder, work->counts);
        LivePassResult result;
        result.rejected = counts.refused;
        result.dropped = counts.dropped;
        result.droppedBytes = counts.droppedBytes;
        try {
            for (const FeedValue &v : *shared) {
                const LivePassResult r = frame.readFeed(*v.type, v.bytes, &pairs, none);
                result.stored += r.stored;
                result.skipped += r.skipped;
                result.rejected += r.rejected;
            }
            c.recorder.commitBatch();
        } catch (const StoreError &e) {
            result.read = false;
            result.storeFailed = true;
            result.error = QStringLiteral("%1: %2").arg(name, e.message());
        }
        // The received bytes are done with: freed here, not when the job is.
        std::vector<FeedValue>().swap(*shared);
        // Only what was committed counts as stored.
        result.takeBack(c.recorder.takeRolledBack());
        c.recorder.setPublisher({});
        if (result.read)
            frame.endOfPass(result);
        out.results.push_back(result);
        noteHeld(c.recorder, out.results);
        out.newPairs = pairs.pairs;
        out.alertError = addAlerts(c.recorder, words.get(), textsOf(out.committed), &out.alerts);
        RecorderThread::post(this, [this, out] { deliver(out); });
    });
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
    if (!m_blockFileOpen)
        return;
    QTimer *own = m_pollTimer;
    own->stop(); // a long pass is not entered again by its own timer
    if (m_observer)
        m_observer->status(QStringLiteral("Checking..."));
    std::shared_ptr<Work> work = m_work;
    std::shared_ptr<const AlertMatcher> words = m_alerts;
    ++m_inFlight;
    m_flags.busy = true;
    m_recorder.submit([this, work, words](RecorderJobContext &c) {
        Delivery out;
        PairCollector pairs;
        c.recorder.setPublisher(
            [&out](const MessageRecord &message) { out.committed.push_back(message); });
        ImportObserver none;
        LivePassFrame frame(c.folder, c.recorder, work->counts);
        if (work->blockFile) {
            out.results.push_back(work->blockFile->poll(frame, &pairs, &none));
        } else {
            LivePassResult failed;
            failed.read = false;
            failed.error = QStringLiteral("No live file is open.");
            out.results.push_back(failed);
        }
        c.recorder.setPublisher({});
        noteHeld(c.recorder, out.results);
        out.newPairs = pairs.pairs;
        out.alertError = addAlerts(c.recorder, words.get(), textsOf(out.committed), &out.alerts);
        RecorderThread::post(this, [this, out] {
            if (m_observer)
                m_observer->status(QString());
            deliver(out);
            if (m_running && m_blockFileOpen && m_pollTimer)
                m_pollTimer->start();
        });
    });
}

} // namespace corvane
