#pragma once

#include "MessageCounts.h"
#include "MessageRecord.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <functional>
#include <vector>

namespace corvane
{

class NewPairsSink;
class PgConnection;

// Records messages into a store on a PostgreSQL server, where several
// stations record at once. A batch is held in memory and written at commit
// in one transaction: the messages and their decoder details by COPY, then
// the two registers, the heard flags and the kept counts each by one upsert
// over the batch's rows, in key order so that stations writing the same
// registrations never wait on each other in a circle. Nothing is read
// before it is written, so concurrent stations keep the registers true.
//
// A commit the server refuses for a deadlock or a serialization failure is
// run again; one that fails otherwise (the server gone) keeps the batch, so
// the next commit writes it: nothing received is dropped.
class ServerRecorder
{
public:
    static constexpr int kBatchLimit = 10000;
    static constexpr int kBatchMillis = 1000;

    explicit ServerRecorder(PgConnection &db);

    void setRecordUplinks(bool on) { m_recordUplinks = on; }
    void setPublisher(std::function<void(const MessageRecord &)> publisher)
    {
        m_publisher = std::move(publisher);
    }
    void setBatchLimits(int messages, int millis)
    {
        m_batchLimit = messages;
        m_batchMillis = millis;
    }

    bool skips(const MessageRecord &record) const;
    // Holds the message for the open batch, committing the batch when it is
    // full or old enough. Throws StoreError when that commit fails; the
    // message and its batch are still held.
    StoreResult storeMessage(const MessageRecord &record, NewPairsSink *sink);
    // Writes the held batch; throws StoreError, keeping it, when it cannot.
    void commitBatch();
    // Drops the held batch.
    void rollbackBatch();
    qint64 held() const { return qint64(m_batch.size()); }

private:
    struct Heard {
        QByteArray reg;
        QByteArray flight;
        QByteArray first;
        QByteArray last;
        qint64 times = 0;
        NewPairsSink *sink = nullptr;
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
    void writeBatch(std::vector<NewPair> &newPairs);
    std::vector<qint64> takeRowIds(qint64 count);
    void copyMessages(const std::vector<qint64> &rowids);
    void upsertPairs(std::vector<NewPair> &newPairs);
    void upsertAircraft();
    void applyCounts();
    static void tally(Heard &h, const QByteArray &time);

    PgConnection &m_db;
    bool m_recordUplinks = true;
    std::function<void(const MessageRecord &)> m_publisher;
    int m_batchLimit = kBatchLimit;
    int m_batchMillis = kBatchMillis;
    QElapsedTimer m_batchClock;
    std::vector<Held> m_batch;
    QHash<QByteArray, Heard> m_pairs;    // folded registration, 0x1f, folded flight
    QHash<QByteArray, Heard> m_aircraft; // folded registration
    MessageCounts m_counts;
    QByteArray m_rowIdSequence;
};

} // namespace corvane
