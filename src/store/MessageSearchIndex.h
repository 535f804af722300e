#pragma once

#include "Schema.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace corvane
{

class SqliteDb;
class SqliteStatement;

// The full-text index over each message's text, registration, flight and
// label: an FTS5 table of trigrams that reads its content from tMessage by
// rowid, so it stores no second copy of the text. It keeps only which
// messages hold each trigram (no positions), which makes it about a fifth of
// the messages' size; a search checks each candidate against the message
// itself, so the lost positions cost no exactness.
//
// The index cannot see the message table change: it must be told of every
// message stored (before its transaction commits) and of every message
// deleted (while its row can still be read), with the values it was indexed
// with. MessageRecorder and MessageCompanions do that.
class MessageSearchIndex
{
public:
    // detail=none keeps no positions and columnsize=0 no lengths: the index
    // only answers which messages may hold a piece of text.
    static constexpr const char *kCreate =
        "CREATE VIRTUAL TABLE IF NOT EXISTS MessageSearch USING fts5(mText, mReg, mFlight, mLabel, "
        "content='tMessage', tokenize='trigram', detail='none', columnsize=0)";

    explicit MessageSearchIndex(SqliteDb &db);
    ~MessageSearchIndex();
    MessageSearchIndex(const MessageSearchIndex &) = delete;
    MessageSearchIndex &operator=(const MessageSearchIndex &) = delete;

    // Indexes the messages an older file holds, into the new, empty index.
    static void fill(SqliteDb &db, const SchemaProgress &progress);

    // The message with this rowid was just stored with these values, bound
    // as they were for tMessage (a later removal reads them from there).
    void add(qint64 rowid, const QString &text, const QByteArray &reg, const QByteArray &flight,
             const QString &label);
    // Before the messages are deleted.
    void forget(const std::vector<qint64> &rowids);
    // Before the messages matching a condition on tMessage are deleted.
    void forgetWhere(const QByteArray &condition);
    void forgetAll();
    // Indexes the messages afresh, after their rowids changed or most of them
    // went at once.
    void rebuild(const SchemaProgress &progress = {});

private:
    SqliteDb &m_db;
    std::unique_ptr<SqliteStatement> m_add;
    std::unique_ptr<SqliteStatement> m_forget;
};

} // namespace corvane
