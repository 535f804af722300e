#pragma once

#include "MessageCounts.h"

#include <QByteArray>
#include <QtGlobal>
#include <vector>

namespace corvane
{

class SqliteDb;
class Store;

// The rows kept beside the messages: those tied to them by the message's rowid
// (the decoders' details, the search index) and the message counts. Every deletion of messages
// calls here inside its own transaction, so no companion row outlives its
// message (a rowid freed now may be given to a new message later) and the
// counts stay equal to a recount.
//
// Compacting the message file may number the messages afresh (the table has
// no INTEGER PRIMARY KEY, and the engine keeps rowids only as it sees fit). The new numbers are
// written down in the file before compacting and applied afterwards; a renumbering left unfinished
// by a crash is finished the next time the store is opened for writing.
class MessageCompanions
{
public:
    explicit MessageCompanions(SqliteDb &db) : m_db(db) {}

    // Before the messages are deleted: their counts are read from them. On
    // a server the search index lies on the message table itself.
    static void forgetMessages(Store &store, const std::vector<qint64> &rowids);
    void forgetAll();
    // Before deleting the messages that match a condition on tMessage: the
    // search index reads what it must take out from the rows themselves.
    void forgetMatching(const QByteArray &condition);
    // After deletions chosen by a condition on the messages, with the tally
    // of what went (see MessageCounts::add with a negative count). The
    // deletion must have been announced with forgetMatching.
    void forgetOrphans(const MessageCounts &removed = {});
    // The same when the tally would cost more than counting what is left;
    // the search index is built afresh from what is left, so nothing need
    // be announced.
    void forgetOrphansRecounting();

    // Around the compaction; each in a transaction of its own.
    void prepareRenumbering();
    void finishRenumbering();

private:
    qint64 count(const char *sql);

    SqliteDb &m_db;
};

} // namespace corvane
