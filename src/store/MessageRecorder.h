#pragma once

#include "MessageRecord.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <functional>
#include <memory>

namespace corvane
{

class Store;
class SqliteStatement;
class SqliteTransaction;
class NewPairsSink;

// The one step that records a message: the uplink filter, the message row,
// and the two registers of heard pairs and heard aircraft. The readers have
// tested the fields and read the time; this only stores.
//
// Writes happen in batches owned by the caller: the first message opens a
// transaction, which commits at commitBatch() and by itself every
// kBatchLimit messages. A message and its register updates always land in the
// same transaction. A failing write rolls the open batch back and throws
// StoreError.
class MessageRecorder
{
public:
    static constexpr int kBatchLimit = 5000;

    explicit MessageRecorder(Store &store);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    // Called after the message row is written and before the registers are
    // updated (the live pass-on).
    void setPublisher(std::function<void(const MessageRecord &)> publisher)
    {
        m_publisher = std::move(publisher);
    }

    // Whether the uplink filter passes the record over: an uplink while
    // uplinks are not recorded.
    bool skips(const MessageRecord &record) const;
    StoreResult storeMessage(const MessageRecord &record, NewPairsSink *sink);
    void commitBatch();
    void rollbackBatch();
    bool batchOpen() const { return m_tx != nullptr; }

    // Sets the heard flag of every aircraft that has messages. Flags are never
    // cleared here; only aircraft not yet flagged are looked at.
    void refreshHeard();

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
    void flushRegisters();
    void dropCaches();
    Heard &pairEntry(const QString &reg, const QString &flight, const QByteArray &regUtf8,
                     const QByteArray &flightUtf8, const QByteArray &time, NewPairsSink *sink);
    Heard &aircraftEntry(const QByteArray &regUtf8, const QByteArray &time);
    static void touch(Heard &h, const QByteArray &time);
    qint64 dataVersion();
    qint64 ownChanges() const;

    Store &m_store;
    std::function<void(const MessageRecord &)> m_publisher;
    std::unique_ptr<SqliteTransaction> m_tx;
    std::unique_ptr<SqliteStatement> m_insertMessage;
    std::unique_ptr<SqliteStatement> m_findPair, m_insertPair, m_updatePair;
    std::unique_ptr<SqliteStatement> m_findAircraft, m_insertAircraft, m_updateAircraft;
    std::unique_ptr<SqliteStatement> m_dataVersion;
    QHash<QByteArray, Heard> m_pairs;
    QHash<QByteArray, Heard> m_aircraft;
    int m_inBatch = 0;
    qint64 m_seenDataVersion = -1;
    qint64 m_seenOwnChanges = -1;
};

} // namespace corvane
