#pragma once

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace corvane
{

class Store;
class Recorder;

// What a job gets to work with: the thread's recorder, the data folder,
// whether the job was asked to stop, and the thread's own connections to the
// store's files (none when the store is on a server).
struct RecorderJobContext {
    Recorder &recorder;
    const QString &folder;
    const std::atomic_bool &cancelled;
    Store *opened = nullptr;

    // The store the recorder writes to (its files or its server); work a
    // server store does not do yet throws StoreError saying so.
    Store &store() const;
};

// The one thread that writes to the store. It opens its own connections to
// the store's files and runs jobs (imports, live passes, bulk changes) one
// at a time, in the order they were submitted, so two jobs never share a
// batch. Jobs report back through whatever they capture, typically by
// posting to an object of the caller's thread (see post()).
class RecorderThread : public QObject
{
    Q_OBJECT
public:
    using Job = std::function<void(RecorderJobContext &)>;
    // Messages held for a server that was still away at a stop: kept in the
    // data folder, and stored first at the next start.
    struct KeptMessages {
        qint64 messages = 0;
        bool stored = false; // at the start: the server took them
        // At the start: messages of the file that can never be stored (an
        // impossible time), dropped, and each named.
        qint64 unstorable = 0;
        QStringList unstorableNames;
        // At the start: a file there that this store does not use (the
        // recorder writes to the files of the data folder, not a server).
        bool unused = false;
        QString path;
        QString why;   // why the server did not take them
        QString error; // the file could not be written or read
        // What the command line and the window say of it; empty when nothing.
        QStringList report() const;
    };
    // How long the writing connection waits for another's write lock.
    static constexpr int kLockWaitMillis = 10 * 60 * 1000;
    // How long a stop still waits for a server that does not answer.
    static constexpr int kStopGraceMillis = 10000;

    explicit RecorderThread(QObject *parent = nullptr);
    // Waits for the running job to end (cancelling it first) and drops the
    // jobs not started.
    ~RecorderThread() override;

    // Opens the store on the thread: the files of the data folder, or the
    // server the address names (its schema made or brought up to date;
    // batches held while the server is away). False with the reason when
    // the store cannot be opened.
    bool start(const QString &folder, QString *error = nullptr);
    bool start(const QString &folder, const QString &serverUrl, QString *error = nullptr);
    // Ends the running job and closes the store, storing what is held, or
    // keeping it in the data folder when the server does not take it within
    // kStopGraceMillis.
    void stop();
    bool isRunning() const;
    // For the next start: how long a server may leave a statement unanswered.
    void setAnswerTimeout(int millis) { m_answerMillis = millis; }
    // From any thread: the store's server gets at most millis from now to
    // answer, for this job and the rest (a stop that must end in time).
    void abandonStoreWaitsAfter(int millis);
    // What start() found kept by the last run, and what stop() kept.
    const KeptMessages &keptFromLastRun() const { return m_keptFromLastRun; }
    const KeptMessages &keptAtStop() const { return m_keptAtStop; }

    // Queues a job; returns its number (from 1).
    quint64 submit(Job job);
    // Asks the running job, when it is that number, to stop at its next
    // check; jobs not started yet are taken off the queue.
    void cancel(quint64 job);
    // Blocks until every job submitted so far has ended. Not for the
    // recorder thread itself.
    void drain();
    quint64 runningJob() const { return m_running.load(); }
    int pendingJobs() const { return m_pending.load(); }

    // Runs fn on the thread of receiver, in its event loop.
    static void post(QObject *receiver, std::function<void()> fn);

signals:
    void jobFinished(quint64 job);
    // A job threw or the store failed; the job ended.
    void jobFailed(quint64 job, const QString &error);

private:
    class Worker;
    void runJob(quint64 number, const Job &job);
    // True when the job was cancelled before it started; otherwise marks it
    // running.
    bool takeCancelled(quint64 number);

    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
    std::atomic<quint64> m_next{0};
    std::atomic<quint64> m_running{0};
    std::atomic_bool m_cancelRunning{false};
    std::atomic_int m_pending{0};
    std::atomic_bool m_closing{false};
    QMutex m_cancelLock;
    QSet<quint64> m_cancelled; // not started yet
    KeptMessages m_keptFromLastRun;
    KeptMessages m_keptAtStop;
    int m_answerMillis = -1; // the recorder's own
};

} // namespace corvane
