#pragma once

#include "MessageCounts.h"
#include "Recorder.h"

#include <QDate>

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <functional>
#include <memory>
#include <vector>

namespace corvane
{

class Store;
class SqliteStatement;
class SqliteTransaction;
class NewPairsSink;
class MessageSearchIndex;

// The one step that records a message: the uplink filter, the message row,
// and the two registers of heard pairs and heard aircraft. The readers have
// tested the fields and read the time; this only stores.
//
// Writes happen in batches: the first message opens a transaction, which
// commits at commitBatch() and by itself once it holds kBatchLimit messages
// or has been open kBatchMillis, so a killed import loses at most one batch.
// A message and its register updates always land in the same transaction. A
// failing write rolls the open batch back and throws StoreError. New pairs
// reach their sink only once their batch has committed, so a sink must stay
// alive until the batch it was given to is committed or rolled back.
class MessageRecorder : public Recorder
{
public:
    explicit MessageRecorder(Store &store);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    // Imports record in larger batches (BulkScope) with a larger page cache. In a store
    // of millions, each message lands on its own leaf of the registration
    // and flight indexes; a batch of 10,000 dirties about as many leaves as
    // it has messages and writes each one twice (log and checkpoint), while
    // a batch of 100,000 whose leaves stay in the cache shares them between
    // messages. Leaving puts the earlier limits and cache back; what is
    // left open commits by those.
    static constexpr int kBulkBatchLimit = 100000;
    static constexpr int kBulkBatchMillis = 10000;
    static constexpr qint64 kBulkCacheKiB = 131072;

    StoreResult storeMessage(const MessageRecord &record, NewPairsSink *sink) override;
    void commitBatch() override;
    void rollbackBatch() override;
    bool batchOpen() const override { return m_tx != nullptr; }
    // Messages reported stored that a rollback took back since the last
    // call: callers that counted them take them off again.
    qint64 takeRolledBack() override;

    // Sets the heard flag of every aircraft that has messages. Flags are never
    // cleared here; only aircraft not yet flagged are looked at.
    void recordAlerts(const QList<AlertRow> &rows) override;
    ProcessedLogs::Entry logEntry(const QString &name) override;
    void refreshHeard() override;
    // The same for the registrations stored since the last call only: what
    // a live pass needs, at a cost that does not grow with the store.
    void refreshHeardOfStored() override;

    // Starts tallying a day (from zero); see DayTally.
    void watchDay(const QDate &day) override;
    QDate watchedDay() const override { return m_day; }
    // The tally of committed batches since the last call.
    DayTally takeDayTally() override;
    // True once when the file was written by anyone else (another process,
    // other code on this connection) since the last call: figures counted
    // from the file must then be counted again.
    bool takeOutsideWrite() override;
    DayTally countDay(const DayRange &day) override;

protected:
    void enterBulk() override;
    void leaveBulk() override;
    void listLogWhole(const QString &name) override;

private:
    struct Heard {
        qint64 rowId = 0; // 0: not in the table yet
        QByteArray reg;   // as first heard, for the new row
        QByteArray flight;
        QByteArray first;
        QByteArray last;
        qint64 times = 0;
        bool dirty = false;
    };

    void beginBatch();
    void insertFeedDetails(const FeedDetails &details);
    void noteOwnWrite(qint64 changesBefore);
    void tallyDay(const QByteArray &oldLast, const QByteArray &newLast, bool known);
    bool inDay(const QByteArray &time) const { return time >= m_dayStart && time < m_dayEnd; }
    void flushRegisters();
    void dropCaches();
    Heard &pairEntry(const QString &reg, const QString &flight, const QByteArray &regUtf8,
                     const QByteArray &flightUtf8, const QByteArray &time, NewPairsSink *sink);
    Heard &aircraftEntry(const QByteArray &regUtf8, const QByteArray &time);
    void touch(Heard &h, const QByteArray &time);
    qint64 dataVersion();
    qint64 ownChanges() const;

    Store &m_store;
    std::unique_ptr<SqliteTransaction> m_tx;
    std::unique_ptr<SqliteStatement> m_insertMessage;
    std::unique_ptr<SqliteStatement> m_insertFeedDetails;
    std::unique_ptr<MessageSearchIndex> m_searchIndex;
    std::unique_ptr<SqliteStatement> m_findPair, m_insertPair, m_updatePair;
    std::unique_ptr<SqliteStatement> m_findAircraft, m_insertAircraft, m_updateAircraft;
    std::unique_ptr<SqliteStatement> m_dataVersion;
    std::unique_ptr<SqliteStatement> m_flagHeard;
    QHash<QByteArray, Heard> m_pairs;
    QHash<QByteArray, Heard> m_aircraft;
    QByteArray m_keyBuffer; // the key being looked up
    int m_inBatch = 0;
    QElapsedTimer m_batchClock;
    std::vector<MessageRecord> m_toPublish; // stored in the open batch
    struct NewPair {
        NewPairsSink *sink;
        QString registration;
        QString flight;
    };
    std::vector<NewPair> m_newPairs; // first heard in the open batch
    qint64 m_rolledBack = 0;
    QSet<QByteArray> m_batchRegs;  // registrations stored in the open batch
    QSet<QByteArray> m_storedRegs; // committed, for refreshHeardOfStored
    QDate m_day;
    QByteArray m_dayStart, m_dayEnd;
    DayTally m_batchTally, m_tally;
    MessageCounts m_counts; // of the open batch
    struct Earlier {
        int limit = 0;
        int millis = 0;
        qint64 cache = 0;
    } m_beforeBulk;
    bool m_outsideWrite = false;
    qint64 m_seenDataVersion = -1;
    qint64 m_seenOwnChanges = -1;
};

} // namespace corvane
