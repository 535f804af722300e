#pragma once

#include "MessageCounts.h"
#include "Recorder.h"

#include <QByteArray>
#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <functional>
#include <vector>

namespace corvane
{

class NewPairsSink;
class PgConnection;
class StoreError;

// Records messages into a store on a PostgreSQL server, where several
// stations record at once. A batch is held in memory and written at commit
// in one transaction: the messages and their decoder details by COPY, then
// the two registers, the heard flags and the kept counts each by one upsert
// over the batch's rows, in key order so that stations writing the same
// registrations never wait on each other in a circle. Nothing is read
// before it is written, so concurrent stations keep the registers true.
//
// A commit the server refuses for a deadlock or a serialization failure is
// run again. One that fails otherwise throws StoreError and keeps the batch
// (the next commit writes it), unless the recorder holds while the server is
// away (a live station, not an import): then the batch is kept without a
// throw, grows up to a bound on memory, and the server is tried again every
// few seconds. Messages beyond the bound are refused and counted
// (takeRefused()), never dropped without a word. A server that leaves a
// statement unanswered past the answer timeout counts as away.
//
// A batch keeps the rowids it was first given. When the server went silent
// after the batch's COMMIT was sent, that commit may have been made: the
// next attempt then meets those rowids in the store (their key refuses
// them) and leaves out the messages stored, so nothing is stored twice.
class ServerRecorder : public Recorder
{
public:
    static constexpr qint64 kHoldLimitBytes = qint64(256) << 20;
    static constexpr int kRetryMillis = 5000;

    explicit ServerRecorder(PgConnection &db);

    void setHoldWhileAway(bool on, qint64 limitBytes = kHoldLimitBytes,
                          int retryMillis = kRetryMillis)
    {
        m_holdWhileAway = on;
        m_holdLimitBytes = limitBytes;
        m_retryMillis = retryMillis;
    }

    // Holds the message for the open batch, committing the batch when it is
    // full or old enough. Throws StoreError when that commit fails and the
    // recorder does not hold; the message and its batch are still held.
    StoreResult storeMessage(const MessageRecord &record, NewPairsSink *sink) override;
    // Writes the held batch, or keeps it (see the class).
    void commitBatch() override;
    void commitNow() override;
    bool batchOpen() const override { return !m_batch.empty(); }
    // Drops the held batch; its messages count as taken back.
    void rollbackBatch() override;
    qint64 takeRolledBack() override;
    qint64 held() const override { return qint64(m_batch.size()); }
    qint64 heldBytes() const override { return m_heldBytes; }
    qint64 holdLimitBytes() const override { return m_holdLimitBytes; }
    QString awayReason() const override { return m_awayReason; }
    std::vector<MessageRecord> takeHeld() override;
    // Messages refused since the last call because the hold was full.
    qint64 takeRefused();

    void recordAlerts(const QList<AlertRow> &rows) override;
    ProcessedLogs::Entry logEntry(const QString &name) override;
    // The server sets the reference table's heard flags with each batch.
    void refreshHeard() override {}
    void refreshHeardOfStored() override {}
    // Other stations write too: today's figures are counted afresh.
    void watchDay(const QDate &day) override { m_day = day; }
    QDate watchedDay() const override { return m_day; }
    DayTally takeDayTally() override { return {}; }
    bool takeOutsideWrite() override { return true; }
    DayTally countDay(const DayRange &day) override;

protected:
    void enterBulk() override { m_bulk = true; }
    void leaveBulk() override { m_bulk = false; }
    void listLogWhole(const QString &name) override;

private:
    struct Heard {
        QByteArray reg;
        QByteArray flight;
        QString regText; // as the reader handed them: what a new pair is told as
        QString flightText;
        QByteArray first;
        QByteArray last;
        qint64 times = 0;
        NewPairsSink *sink = nullptr;
        bool orphaned = false; // its pass ended before the server took it
    };
    struct Held {
        MessageRecord record;
        QByteArray time;
    };
    struct NewPair {
        NewPairsSink *sink;
        QString registration;
        QString flight;
    };

    void clearBatch();
    void tallyHeld(const Held &held, NewPairsSink *sink);
    void leaveOutStored(size_t messages);
    void keepWhileAway(const StoreError &why);
    void forgetSinks();
    void adoptOrphans(NewPairsSink *sink);
    bool retryDue() const;
    void writeBatch(std::vector<NewPair> &newPairs);
    void takeRowIds();
    void copyMessages();
    void upsertPairs(std::vector<NewPair> &newPairs);
    void upsertAircraft();
    void applyCounts();
    static void tally(Heard &h, const QByteArray &time);

    PgConnection &m_db;
    QElapsedTimer m_batchClock;
    std::vector<Held> m_batch;
    std::vector<qint64> m_rowIds; // of the batch's first messages
    size_t m_unsure = 0;          // the first messages, whose commit went unanswered
    bool m_committing = false;
    bool m_bulk = false;
    std::vector<Heard> m_pairs;            // in the order first heard
    QHash<QByteArray, qsizetype> m_pairAt; // folded registration, 0x1f, folded flight
    QHash<QByteArray, Heard> m_aircraft;   // folded registration
    MessageCounts m_counts;
    QByteArray m_rowIdSequence;
    qint64 m_rolledBack = 0;
    QDate m_day;
    bool m_holdWhileAway = false;
    qint64 m_holdLimitBytes = kHoldLimitBytes;
    int m_retryMillis = kRetryMillis;
    bool m_holding = false; // the batch waits for the server
    bool m_orphans = false; // pairs whose pass ended before the server took them
    qint64 m_heldBytes = 0;
    qint64 m_refused = 0;
    QString m_awayReason;
    QElapsedTimer m_awayClock; // since the last attempt while away
};

} // namespace corvane
