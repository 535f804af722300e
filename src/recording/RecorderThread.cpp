#include "RecorderThread.h"

#include "store/HeldMessagesFile.h"
#include "store/ServerRecorder.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <exception>

namespace corvane
{

// Lives on the recorder thread: the connections are opened, used and closed
// there only.
class RecorderThread::Worker : public QObject
{
public:
    // The unstorable kept messages named one by one; the rest are counted.
    static constexpr qsizetype kNamedUnstorable = 10;

    QString folder;
    Store store;
    std::unique_ptr<Recorder> recorder;
    KeptMessages restored;
    KeptMessages kept;
    bool restoredHeld = false; // the file stays until the server takes them

    void open(const QString &serverUrl, int answerMillis)
    {
        store.openChosen(folder, serverUrl);
        recorder = Recorder::of(store);
        if (answerMillis >= 0)
            recorder->setAnswerTimeout(answerMillis);
        if (store.onServer()) {
            // What arrives while the server is away is kept, not refused.
            static_cast<ServerRecorder &>(*recorder).setHoldWhileAway(true);
            storeKept();
            return;
        }
        // Another program on the same store (a window beside a headless
        // recorder) may hold the write lock through a long deletion or
        // compaction: the recorder waits for it rather than failing a
        // batch, while its caller keeps receiving.
        store.setLockWait(kLockWaitMillis);
        // Held for a server: not ours to store into the files, but said.
        const HeldMessagesFile file(folder);
        if (file.exists()) {
            restored.path = file.path();
            restored.unused = true;
        }
    }

    void close()
    {
        if (recorder) {
            try {
                recorder->commitNow();
            } catch (const StoreError &) {
                // Rolled back: nothing half-written stays.
            }
            keepHeld();
        }
        recorder.reset();
        store.close();
    }

    void storeKept()
    {
        const HeldMessagesFile file(folder);
        if (!file.exists())
            return;
        restored.path = file.path();
        std::vector<MessageRecord> records;
        try {
            records = file.read();
        } catch (const StoreError &e) {
            // Left for the user to look at, out of the next start's way.
            QFile::rename(file.path(), file.path() + QStringLiteral(".damaged"));
            restored.error = e.message();
            return;
        }
        for (size_t i = 0; i < records.size(); ++i) {
            const MessageRecord &r = records[i];
            if (recorder->storeMessage(r, nullptr) == StoreResult::Stored)
                continue;
            ++restored.unstorable;
            if (restored.unstorableNames.size() < kNamedUnstorable)
                restored.unstorableNames << HeldMessagesFile::describe(r, i);
        }
        recorder->commitNow();
        restored.messages = qint64(records.size());
        restored.stored = recorder->held() == 0;
        restored.why = recorder->awayReason();
        restoredHeld = !restored.stored;
        if (restored.stored)
            file.remove();
    }

    // The file of the last run goes once the server took what it held.
    void forgetKeptOnceStored()
    {
        if (restoredHeld && recorder->held() == 0) {
            HeldMessagesFile(folder).remove();
            restoredHeld = false;
        }
    }

    void keepHeld()
    {
        forgetKeptOnceStored();
        if (recorder->held() == 0)
            return;
        const HeldMessagesFile file(folder);
        kept.path = file.path();
        kept.why = recorder->awayReason();
        const std::vector<MessageRecord> records = recorder->takeHeld();
        kept.messages = qint64(records.size());
        try {
            file.write(records);
        } catch (const StoreError &e) {
            kept.error = e.message();
        }
    }
};

QStringList RecorderThread::KeptMessages::report() const
{
    QStringList lines;
    if (unused) {
        lines << QStringLiteral("%1 holds messages kept for a store on a server, and this store "
                                "is the data folder's files: they are not stored here (a start "
                                "on that server stores them)")
                     .arg(path);
        return lines;
    }
    if (!error.isEmpty()) {
        lines << QStringLiteral("%1; moved aside to %2.damaged").arg(error, path);
        return lines;
    }
    if (messages == 0)
        return lines;
    const qint64 taken = messages - unstorable;
    lines << QStringLiteral("%1 of the %2 messages kept by the last run %3")
                 .arg(taken)
                 .arg(messages)
                 .arg(stored ? QStringLiteral("stored") : QStringLiteral("held for the store"));
    if (unstorable > 0) {
        QString names = unstorableNames.join(QStringLiteral("; "));
        if (unstorable > unstorableNames.size())
            names += QStringLiteral("; and %1 more").arg(unstorable - unstorableNames.size());
        lines << QStringLiteral("%1 kept messages cannot be stored and were dropped: %2")
                     .arg(unstorable)
                     .arg(names);
    }
    return lines;
}

RecorderThread::RecorderThread(QObject *parent) : QObject(parent) {}

RecorderThread::~RecorderThread()
{
    stop();
}

bool RecorderThread::isRunning() const
{
    return m_thread != nullptr;
}

Store &RecorderJobContext::store() const
{
    if (!opened)
        throw StoreError(QStringLiteral("The store is not open"));
    return *opened;
}

bool RecorderThread::start(const QString &folder, QString *error)
{
    return start(folder, QString(), error);
}

bool RecorderThread::start(const QString &folder, const QString &serverUrl, QString *error)
{
    stop();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("recorder"));
    m_worker = new Worker;
    m_worker->moveToThread(m_thread);
    m_thread->start();
    QString why;
    Worker *worker = m_worker;
    const int answerMillis = m_answerMillis;
    QMetaObject::invokeMethod(
        worker,
        [worker, folder, serverUrl, answerMillis, &why] {
            try {
                worker->folder = folder;
                worker->open(serverUrl, answerMillis);
            } catch (const StoreError &e) {
                why = e.message();
            }
        },
        Qt::BlockingQueuedConnection);
    if (!why.isEmpty()) {
        stop();
        if (error)
            *error = why;
        return false;
    }
    m_keptFromLastRun = m_worker->restored;
    return true;
}

void RecorderThread::stop()
{
    if (!m_thread)
        return;
    // Jobs still queued are dropped; the running one stops at its next check.
    m_closing = true;
    m_cancelRunning = true;
    abandonStoreWaitsAfter(kStopGraceMillis);
    Worker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker] { worker->close(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    m_keptAtStop = m_worker->kept;
    delete m_worker;
    delete m_thread;
    m_worker = nullptr;
    m_thread = nullptr;
    m_pending = 0;
    m_closing = false;
    QMutexLocker lock(&m_cancelLock);
    m_cancelled.clear();
}

void RecorderThread::abandonStoreWaitsAfter(int millis)
{
    // The store's connection takes this from any thread.
    if (m_worker)
        m_worker->store.abandonServerWaitsAfter(millis);
}

quint64 RecorderThread::submit(Job job)
{
    const quint64 number = ++m_next;
    if (!m_thread)
        return number;
    ++m_pending;
    QMetaObject::invokeMethod(
        m_worker, [this, number, job = std::move(job)] { runJob(number, job); },
        Qt::QueuedConnection);
    return number;
}

void RecorderThread::drain()
{
    if (!m_thread || QThread::currentThread() == m_thread)
        return;
    // Jobs run in the order they were posted: when this returns, every
    // earlier one has ended.
    QMetaObject::invokeMethod(
        m_worker, [] {}, Qt::BlockingQueuedConnection);
}

void RecorderThread::cancel(quint64 job)
{
    if (job == 0)
        return;
    // Under the lock runJob takes to start a job, so a cancel that comes as
    // the job starts is not lost between the two checks.
    QMutexLocker lock(&m_cancelLock);
    if (m_running == job)
        m_cancelRunning = true;
    else
        m_cancelled.insert(job);
}

bool RecorderThread::takeCancelled(quint64 number)
{
    QMutexLocker lock(&m_cancelLock);
    if (m_cancelled.remove(number))
        return true;
    m_cancelRunning = false;
    m_running = number;
    return false;
}

void RecorderThread::runJob(quint64 number, const Job &job)
{
    --m_pending;
    if (takeCancelled(number) || m_closing || !m_worker->recorder) {
        m_running = 0;
        emit jobFinished(number);
        return;
    }
    RecorderJobContext context{*m_worker->recorder, m_worker->folder, m_cancelRunning,
                               m_worker->store.isOpen() ? &m_worker->store : nullptr};
    QString failure;
    try {
        job(context);
        m_worker->recorder->commitBatch();
        m_worker->forgetKeptOnceStored();
    } catch (const StoreError &e) {
        m_worker->recorder->rollbackBatch();
        failure = e.message();
    } catch (const std::exception &e) {
        m_worker->recorder->rollbackBatch();
        failure = QString::fromLocal8Bit(e.what());
    }
    m_running = 0;
    if (!failure.isEmpty())
        emit jobFailed(number, failure);
    emit jobFinished(number);
}

void RecorderThread::post(QObject *receiver, std::function<void()> fn)
{
    QMetaObject::invokeMethod(receiver, std::move(fn), Qt::QueuedConnection);
}

} // namespace corvane
