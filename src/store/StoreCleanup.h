#pragma once

#include "MessageCounts.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

namespace corvane
{

class MessageView;
class SqliteDb;
class Store;

// Clean-up of the message store: deleting every message, removing repeated
// messages of one registration and flight, and compacting the file
// afterwards. Each change is one transaction: a failure leaves the store as
// it was.
//
// Rows kept beside the messages and tied to them by rowid follow every
// deletion here, inside the same transaction.
class StoreCleanup
{
public:
    struct Duplicates {
        qint64 removed = 0;
        qint64 left = 0; // messages in the store afterwards
    };

    explicit StoreCleanup(Store &store) : m_store(store) {}

    // Status texts for the user while a long step runs.
    void setStatus(std::function<void(const QString &)> status) { m_status = std::move(status); }

    // Empties the messages, the two registers and the processed-log list, and
    // clears every aircraft's heard flag. Reference tables stay. Returns the
    // number of messages deleted.
    qint64 deleteAllMessages();

    // Leaves one message of each registration and flight pair (compared
    // without regard to case) that occurs in the view: the earliest, ties
    // going to the one stored first. Messages without a registration or a
    // flight stay. Survivors keep their rowid. The registers are not
    // recounted: they tell how often a pair was heard.
    Duplicates removeDuplicates(const MessageView &view);
    // What removeDuplicates(view) would remove and leave, read from one
    // state of the store without changing it, so the user can be asked
    // first.
    Duplicates countDuplicates(const MessageView &view);

    struct Compaction {
        qint64 bytesBefore = 0; // the message file's size
        qint64 bytesAfter = 0;
    };
    // Gives the space of deleted rows back to the file system. A server
    // store reuses the space by itself: it needs no compacting.
    Compaction compact();
    bool needsCompacting() const;

private:
    // The file's size as the engine sees it: what it takes once the
    // write-ahead log is copied back.
    static qint64 fileBytes(SqliteDb &db);

    struct Survey {
        qint64 messages = 0; // in the table
        qint64 doomed = 0;   // to go
        // Messages of no pair, or of pairs outside the view: all stay.
        // Gathered only along with the survivors.
        std::vector<qint64> unpaired;
    };

    void status(const QString &text);
    // On a server, in set-based statements, with stations holding back
    // their batches meanwhile.
    qint64 deleteAllOnServer();
    Duplicates removeDuplicatesOnServer(const MessageView &view);
    Duplicates countDuplicatesOnServer(const MessageView &view);
    // " AND (mReg, mFlight) IN (pairs of the view)", or empty for all.
    static QByteArray serverScope(const MessageView &view);
    void holdStations();
    qint64 count(const char *sql);
    // The view's pairs into m_scope, and into temp.DuplicateScope when
    // withTable; false when the view shows every message.
    bool fillScope(SqliteDb &db, const MessageView &view, bool withTable);
    // One pass over the messages, counting what goes; with survivors set,
    // the message of each pair that stays goes into it and the messages
    // that stay outside any pair into the survey's unpaired.
    Survey surveyPairs(SqliteDb &db, bool scoped, std::vector<qint64> *survivors);
    // Adds messages that stay to temp.DuplicateKeep.
    static void keep(SqliteDb &db, std::vector<qint64> &ids);
    MessageCounts deleteInPlace(SqliteDb &db, bool scoped);
    // Every message in temp.DuplicateKeep into a new table.
    void copySurvivors(SqliteDb &db);
    // What picks a message to go, in SQL on tMessage.
    static QByteArray doomedCondition(bool scoped);
    static QByteArray pairKey(const char *reg, int regSize, const char *flight, int flightSize);

    Store &m_store;
    std::function<void(const QString &)> m_status;
    QSet<QByteArray> m_scope;
};

} // namespace corvane
