#pragma once

#include "MessageRecord.h"
#include "ProcessedLogs.h"

#include <QDate>
#include <QList>
#include <functional>
#include <memory>
#include <vector>

namespace corvane
{

class NewPairsSink;
class DayRange;
class Store;
struct AlertRow;

// What records messages, whichever store holds them: the files of the data
// folder (MessageRecorder) or a server several stations share
// (ServerRecorder). Imports and live passes see only this.
//
// Messages are stored in batches: storeMessage() adds to the open batch and
// commits it when it is full or old; commitBatch() writes what is open. A
// failing write throws StoreError; what a rollback took back is told by
// takeRolledBack(). New pairs reach their sink, and stored messages the
// publisher, only once their batch has committed.
class Recorder
{
public:
    // What one watched day gained through committed batches: messages
    // stamped within it, and heard aircraft whose last hearing moved into
    // it (less those that moved out of it).
    struct DayTally {
        qint64 messages = 0;
        qint64 aircraft = 0;
    };

    static constexpr int kBatchLimit = 10000;
    static constexpr int kBatchMillis = 1000;
    static constexpr int kAnswerMillis = 30000;

    virtual ~Recorder() = default;
    // The recorder of an open store: on its files or its server.
    static std::unique_ptr<Recorder> of(Store &store);

    // Whether uplinks are recorded (the setting "UplinkMessages" is 1); an
    // uplink that is not is skipped. On by default.
    void setRecordUplinks(bool on) { m_recordUplinks = on; }
    bool recordsUplinks() const { return m_recordUplinks; }
    // Called for each stored message once its batch has committed (the live
    // pass-on); a rolled-back batch passes nothing on.
    void setPublisher(std::function<void(const MessageRecord &)> publisher)
    {
        m_publisher = std::move(publisher);
    }
    void setBatchLimits(int messages, int millis)
    {
        m_batchLimit = messages;
        m_batchMillis = millis;
    }
    // How long a store on a server may leave one statement unanswered before
    // it is taken as out of reach (0: as long as it takes). The files wait
    // for their locks instead.
    void setAnswerTimeout(int millis) { m_answerMillis = millis; }

    // Whether the uplink filter passes the record over: an uplink while
    // uplinks are not recorded.
    bool skips(const MessageRecord &record) const { return record.isUplink() && !m_recordUplinks; }
    virtual StoreResult storeMessage(const MessageRecord &record, NewPairsSink *sink) = 0;
    virtual void commitBatch() = 0;
    virtual bool batchOpen() const = 0;
    // Commits now, even when a store out of reach was tried moments ago.
    virtual void commitNow() { commitBatch(); }
    virtual void rollbackBatch() = 0;
    // Messages reported stored that a rollback took back since the last
    // call: callers that counted them take them off again. A message whose
    // storeMessage() threw went down with its batch and is among them.
    virtual qint64 takeRolledBack() = 0;
    // Messages received and not in the store yet: a server's batch waits in
    // memory until it commits, and after a commit what the server could not
    // take (out of reach) stays held for a later one.
    virtual qint64 held() const { return 0; }
    // The memory the held messages take, the most they may take, and why
    // the store could not take them (empty once it did).
    virtual qint64 heldBytes() const { return 0; }
    virtual qint64 holdLimitBytes() const { return 0; }
    virtual QString awayReason() const { return {}; }
    // Hands the held messages over (to be kept elsewhere) and forgets them.
    virtual std::vector<MessageRecord> takeHeld() { return {}; }

    // The alerts raised by what was received (table ALERTS), in one
    // transaction of their own.
    virtual void recordAlerts(const QList<AlertRow> &rows) = 0;

    // The list of log files imported, by the last characters of each name
    // (table LOGSPROCESSED): what it says of a log.
    virtual ProcessedLogs::Entry logEntry(const QString &name) = 0;
    // The log an import reads, from after the records an earlier import of
    // it read (empty: none). Each batch that commits also lists, in its
    // transaction, how many of the log's records were read by then
    // (setLogRecordsRead()), so an import stopped part-way, by a failure or
    // a cancel, goes on after them the next time and stores nothing twice.
    void followLog(const QString &name, qint64 recordsReadBefore)
    {
        m_log = name;
        m_logRecords = m_logListed = m_logRecordsStored = recordsReadBefore;
    }
    void setLogRecordsRead(qint64 records) { m_logRecords = records; }
    // The records of the followed log whose messages are all committed.
    qint64 logRecordsStored() const { return m_logRecordsStored; }
    // Commits what is open, then lists the followed log as read whole and
    // follows none.
    void finishLog();

    // Sets the heard flag of the reference aircraft heard (all, or those
    // stored since the last call).
    virtual void refreshHeard() = 0;
    virtual void refreshHeardOfStored() = 0;

    // Today's figures: a day is watched, committed batches tallied against
    // it, and counted afresh whenever others wrote to the store meanwhile.
    virtual void watchDay(const QDate &day) = 0;
    virtual QDate watchedDay() const = 0;
    virtual DayTally takeDayTally() = 0;
    virtual bool takeOutsideWrite() = 0;
    // Counts the day in the store: its messages and the aircraft last
    // heard within it.
    virtual DayTally countDay(const DayRange &day) = 0;

    // An import records in larger batches while the scope lasts.
    class BulkScope
    {
    public:
        explicit BulkScope(Recorder &recorder) : m_recorder(recorder) { recorder.enterBulk(); }
        ~BulkScope() { m_recorder.leaveBulk(); }
        BulkScope(const BulkScope &) = delete;
        BulkScope &operator=(const BulkScope &) = delete;

    private:
        Recorder &m_recorder;
    };

protected:
    virtual void enterBulk() {}
    virtual void leaveBulk() {}
    // Lists how far the followed log was read, in the batch's transaction;
    // noteLogStored() once that transaction has committed.
    void listLogProgress(ProcessedLogs &logs);
    void noteLogStored() { m_logRecordsStored = m_logListed; }
    virtual void listLogWhole(const QString &name) = 0;

    bool m_recordUplinks = true;
    std::function<void(const MessageRecord &)> m_publisher;
    int m_batchLimit = kBatchLimit;
    int m_batchMillis = kBatchMillis;
    int m_answerMillis = kAnswerMillis;

private:
    QString m_log;
    qint64 m_logRecords = 0;
    qint64 m_logListed = 0;
    qint64 m_logRecordsStored = 0;
};

} // namespace corvane
