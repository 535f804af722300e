#pragma once

#include "FeedQueue.h"
#include "LinkClient.h"
#include "formats/LiveFlags.h"
#include "formats/LivePassFrame.h"
#include "formats/LiveTypes.h"
#include "formats/NewPairsList.h"
#include "live/AlertMatcher.h"
#include "store/AlertLog.h"

#include <QFile>
#include <QHash>
#include <QObject>
#include <QQueue>
#include <QString>
#include <memory>

class QTimer;

namespace corvane
{

class RecorderThread;
class ImportObserver;
class LivePublisher;
class FeedReceiver;

// The running live link of one "DDEType": the transport, the values waiting
// for the reader, the timers that poll and dispatch them, and the live
// flags. Everything about the type comes from its LiveTypes entry.
//
// Linked decoders push values over a LinkClient; ARD2 appends to a log file
// that is polled every second for complete lines; the SkySweeper decoders
// append to a log file that their own reader polls every five seconds.
// Every value that arrives is queued, and each dispatch tick hands the
// waiting values, oldest first, to the recorder thread as one job: one live
// pass per value, so that no value is joined to another, lost or read
// twice, all committed together. The results come back through the event
// loop (passFinished, valueHandled), with the messages passed on only once
// committed. The first value after the link opens (the server's value at
// that moment, or the ARD2 file as it stood) is thrown away (the restart
// flag).
//
// The network decoders' feeds (one, or every enabled one for the group
// type) are received on threads of their own into one queue bounded in
// bytes. Each dispatch tick takes the oldest few megabytes of it and
// records them in one pass, one transaction; while a pass runs the rest
// waits in the queue, and the next pass follows as soon as one ends, so a
// backlog is bounded by the queue alone. A feed has no connect-time value.
//
// The timers carry the names the window knows them by: tmrDDE (dispatch),
// tmrLive (ARD2), tmrLiveSSHF and tmrLiveSSVHF.
class LiveSession : public QObject
{
    Q_OBJECT
public:
    using Transport = LiveTransport;

    static constexpr int kDispatchMs = 500;
    static constexpr int kLineFileMs = 1000;
    static constexpr int kBlockFileMs = 5000;
    // What one feed pass takes from the queue at most.
    static constexpr qint64 kFeedPassBytes = qint64(4) << 20;
    // A queue that grew past this gives the heap back once it is empty.
    static constexpr qint64 kTrimAfterBytes = qint64(16) << 20;

    explicit LiveSession(RecorderThread &recorder, QObject *parent = nullptr);
    // Waits for the passes handed to the recorder thread.
    ~LiveSession() override;

    // Opens the link of ddeType, or the decoder's log file at path for the
    // polled kinds. False with the reason when it cannot; noServer tells
    // whether nothing answered the link request. A type no reader knows
    // starts nothing and succeeds.
    bool start(const QString &ddeType, const QString &path = {}, QString *error = nullptr,
               bool *noServer = nullptr);
    // The "host:port" that settings group "Links" gives the linked decoder,
    // used by the next start; empty for the local link.
    void setLinkAddress(const QString &address) { m_linkAddress = address; }
    // Where a feed type is received (settings group "Feeds"), used by the
    // next start; the type's default when not set.
    void setFeedListen(const QString &feedType, const QString &value)
    {
        m_feedListen.insert(feedType, value);
    }
    // The feeds the group type records (setting [Feeds] Enabled).
    void setEnabledFeeds(const QStringList &feedTypes) { m_enabledFeeds = feedTypes; }
    // How many bytes of received feed values may wait for the store
    // (setting [Feeds] QueueMegabytes), used by the next start.
    void setFeedQueueLimit(qint64 bytes) { m_feedQueueLimit = bytes; }
    qint64 feedQueueLimit() const { return m_feedQueueLimit; }
    // Bytes of feed values waiting now.
    qint64 feedQueueBytes() const { return m_feedQueue ? m_feedQueue->bytes() : 0; }
    // Datagrams or lines dropped because the queue was full, since the start.
    qint64 feedValuesDropped() const { return m_feedDropped; }
    QString feedListen(const LiveType &feedType) const;
    // Status panel 1 for the running feeds, one part each, "; " between.
    QString feedStatusText() const;
    // What the kernel gave the first feed's receive buffer (0: none).
    int feedReceiveBuffer() const;
    // Ends the transport and the timers. Values already received are still
    // recorded, the feeds' whole queue included; the next link starts by
    // discarding its connect-time value.
    void stop();
    bool isRunning() const { return m_running; }
    QString ddeType() const { return m_ddeType; }
    // The entry of the running type; null for a value no reader knows.
    const LiveType *type() const { return m_type; }
    Transport transport() const { return m_type ? m_type->transport : Transport::None; }
    const LiveFlags &flags() const { return m_flags; }

    // Where each pass reports progress and its end (may be null).
    void setObserver(ImportObserver *observer) { m_observer = observer; }
    // Each message recorded by a live pass is passed to publisher while
    // publishing is on.
    void setPublisher(LivePublisher *publisher) { m_publisher = publisher; }
    void setPublishing(bool on) { m_publishing = on; }
    bool isPublishing() const { return m_publishing; }

    // While words are set, the text of every message stored from now on
    // (every value, for a type that records nothing) is matched against
    // them on the recorder thread, and the rows found for one pass are
    // written in one transaction; null stops matching.
    void setAlerts(std::shared_ptr<const AlertMatcher> words);
    const AlertMatcher *alerts() const { return m_alerts.get(); }

    NewPairsList &newPairs() { return m_newPairs; }
    int waitingValues() const { return int(m_waiting.size()); }
    // Jobs handed to the recorder thread whose results have not come back.
    int passesInFlight() const { return m_inFlight; }
    QTimer *timer(const QString &name) const;

    // The dispatch step: hands the waiting values to the recorder thread.
    void dispatch();
    // The poll steps of the file kinds.
    void pollLines();
    void pollBlocks();

signals:
    // The server took the link.
    void linked();
    // One pass ended (a discarded connect-time value included).
    void passFinished(const corvane::LivePassResult &result);
    // The link ended from the decoder's side, or never came about; every
    // value received before has been recorded.
    void linkBroken(const QString &why, bool wasLinked);
    // A value of the link was handled; text is what the live text box holds
    // after the pass (empty after the discarded connect-time value). Alert
    // matching reads it.
    void valueHandled(const QString &text);
    // A feed connected to a server, or lost it; text is feedStatusText().
    void feedStatusChanged(const QString &text);
    // Alert rows were written to the alert log, in the order added.
    void alertsAdded(const QList<corvane::AlertRow> &rows);

private:
    void received(const QString &value);
    void peerGone();
    struct Delivery;
    struct Work;
    void submitPasses(const QStringList &values);
    struct FeedValue;
    // While running, one pass at a time; once stopped, all that is queued.
    void dispatchFeeds();
    void submitFeedPass(std::vector<FeedValue> values, const FeedQueue::Counts &counts);
    bool startFeeds(QString *error);
    void submitAlertsOnly(const QStringList &values);
    void deliver(const Delivery &delivery);
    void reportBroken();
    // Reads the complete lines appended to the ARD2 file since the last poll.
    bool readNewLines(QString *text);
    void stopTimers();
    void stopPollTimers();
    bool startLink(QString *error, bool *noServer);
    bool startLineFile(const QString &path, QString *error);
    bool startBlockFile(const QString &path, QString *error);

    RecorderThread &m_recorder;
    std::shared_ptr<Work> m_work; // touched on the recorder thread only
    int m_inFlight = 0;
    NewPairsList m_newPairs;
    ImportObserver *m_observer = nullptr;
    LivePublisher *m_publisher = nullptr;
    bool m_publishing = false;
    std::shared_ptr<const AlertMatcher> m_alerts;

    QString m_ddeType;
    const LiveType *m_type = nullptr;
    QString m_linkAddress;
    LiveFlags m_flags;
    bool m_running = false;
    bool m_wasLinked = false;
    bool m_brokenPending = false;
    QString m_brokenWhy;

    std::unique_ptr<LinkClient> m_client;
    QFile m_lineFile;
    qint64 m_linePosition = 0;
    bool m_blockFileOpen = false;
    QQueue<QString> m_waiting;
    QHash<QString, QString> m_feedListen;
    QStringList m_enabledFeeds;
    std::vector<std::pair<const LiveType *, std::unique_ptr<FeedReceiver>>> m_feeds;
    std::unique_ptr<FeedQueue> m_feedQueue;    // the feeds' chunks name their index in m_feeds
    std::vector<const LiveType *> m_feedTypes; // by that index, kept until the queue is done
    qint64 m_feedQueueLimit;
    qint64 m_feedDropped = 0;
    int m_feedPassesInFlight = 0;
    bool m_trimDue = false;

    QTimer *m_dispatchTimer = nullptr;
    QTimer *m_pollTimer = nullptr; // the running type's own poll timer
};

} // namespace corvane
