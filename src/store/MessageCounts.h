#pragma once

#include <QByteArray>
#include <QHash>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace corvane
{

class SqliteDb;
class Store;
class StoreStatement;

// The message counts kept beside the messages so that the traffic charts
// never read the message table: messages per local hour, and per local day
// with each label and each registration. The hour and the day are the first
// characters of the stored time, which is local time.
//
// A tally gathers changes in memory (a negative count takes messages away);
// applying it adds them to the kept rows in the caller's transaction, and
// rows that fall to zero go.
class MessageCounts
{
public:
    void add(const QByteArray &time, const QByteArray &registration, const QByteArray &label,
             qint64 messages = 1);
    bool isEmpty() const { return m_hours.isEmpty(); }
    void clear();
    void applyTo(SqliteDb &db) const;
    // On the files' message file or on the server's tables.
    void applyTo(Store &store) const;

    // The tally itself, for a store that applies it otherwise: counts by
    // hour, and by a key of day and label (or registration) that splitKey()
    // takes apart.
    const QHash<QByteArray, qint64> &hours() const { return m_hours; }
    const QHash<QByteArray, qint64> &labels() const { return m_labels; }
    const QHash<QByteArray, qint64> &registrations() const { return m_regs; }
    static std::pair<QByteArray, QByteArray> splitKey(const QByteArray &key);

    // The tally of stored messages, negated: what deleting them takes away.
    static MessageCounts ofRemoval(Store &store, const std::vector<qint64> &rowids);
    // Takes away the kept rows that fell to zero or below.
    static void pruneEmpty(Store &store);
    // Counts every message afresh.
    static void recount(SqliteDb &db);
    static void forgetAll(SqliteDb &db);

private:
    static QByteArray pairKey(const QByteArray &day, const QByteArray &other);
    using Statements = std::function<std::unique_ptr<StoreStatement>(const char *sql)>;
    void apply(const Statements &statement) const;
    static void applyPairs(const Statements &statement, const QHash<QByteArray, qint64> &pairs,
                           const char *upsert, const char *prune);

    QHash<QByteArray, qint64> m_hours;  // "YYYY-MM-DD HH"
    QHash<QByteArray, qint64> m_labels; // day, NUL, label
    QHash<QByteArray, qint64> m_regs;   // day, NUL, registration
};

} // namespace corvane
