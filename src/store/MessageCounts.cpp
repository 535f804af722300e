#include "MessageCounts.h"

#include "SqliteDb.h"
#include "StoreStatement.h"

#include <sqlite3.h>

namespace corvane
{

namespace
{

constexpr int kHourSize = 13; // "YYYY-MM-DD HH"
constexpr int kDaySize = 10;  // "YYYY-MM-DD"
constexpr qsizetype kRecountPart = 200000;

} // namespace

void MessageCounts::add(const QByteArray &time, const QByteArray &registration,
                        const QByteArray &label, qint64 messages)
{
    const QByteArray day = time.left(kDaySize);
    m_hours[time.left(kHourSize)] += messages;
    m_labels[pairKey(day, label)] += messages;
    m_regs[pairKey(day, registration)] += messages;
}

void MessageCounts::clear()
{
    m_hours.clear();
    m_labels.clear();
    m_regs.clear();
}

QByteArray MessageCounts::pairKey(const QByteArray &day, const QByteArray &other)
{
    QByteArray key;
    key.reserve(day.size() + 1 + other.size());
    key += day;
    key += '\0';
    key += other;
    return key;
}

std::pair<QByteArray, QByteArray> MessageCounts::splitKey(const QByteArray &key)
{
    const qsizetype split = key.indexOf('\0');
    const QByteArray other = key.mid(split + 1);
    // A missing label or registration is counted under the empty one.
    return {key.left(split), other.isNull() ? QByteArray("") : other};
}

namespace
{

const char *const kPruneHours = "DELETE FROM MessagesByHour WHERE Messages <= 0";
const char *const kPruneLabels = "DELETE FROM MessagesByLabel WHERE Messages <= 0";
const char *const kPruneRegistrations = "DELETE FROM MessagesByRegistration WHERE Messages <= 0";

} // namespace

void MessageCounts::pruneEmpty(Store &store)
{
    for (const char *prune : {kPruneHours, kPruneLabels, kPruneRegistrations})
        StoreStatement(store, Schema::File::AcarsLog, prune).run();
}

void MessageCounts::applyTo(SqliteDb &db) const
{
    apply([&db](const char *sql) { return std::make_unique<StoreStatement>(db, sql); });
}

void MessageCounts::applyTo(Store &store) const
{
    apply([&store](const char *sql) {
        return std::make_unique<StoreStatement>(store, Schema::File::AcarsLog, sql);
    });
}

// The kept column is named with its table: on a server a bare name in the
// update would be ambiguous beside the proposed row.
void MessageCounts::apply(const Statements &statement) const
{
    if (isEmpty())
        return;
    bool removed = false;
    {
        const auto upsert = statement("INSERT INTO MessagesByHour (Hour, Messages) VALUES (?, ?) "
                                      "ON CONFLICT (Hour) DO UPDATE SET "
                                      "Messages = MessagesByHour.Messages + excluded.Messages");
        for (auto it = m_hours.cbegin(); it != m_hours.cend(); ++it) {
            if (it.value() == 0)
                continue;
            upsert->bind(1, QString::fromUtf8(it.key()));
            upsert->bind(2, it.value());
            upsert->run();
            removed = removed || it.value() < 0;
        }
    }
    if (removed)
        statement(kPruneHours)->run();
    applyPairs(statement, m_labels,
               "INSERT INTO MessagesByLabel (Day, Label, Messages) VALUES (?, ?, ?) "
               "ON CONFLICT (Day, Label) DO UPDATE SET "
               "Messages = MessagesByLabel.Messages + excluded.Messages",
               kPruneLabels);
    applyPairs(statement, m_regs,
               "INSERT INTO MessagesByRegistration (Day, Registration, Messages) VALUES (?, ?, ?) "
               "ON CONFLICT (Day, Registration) DO UPDATE SET "
               "Messages = MessagesByRegistration.Messages + excluded.Messages",
               kPruneRegistrations);
}

void MessageCounts::applyPairs(const Statements &statement, const QHash<QByteArray, qint64> &pairs,
                               const char *upsert, const char *prune)
{
    bool removed = false;
    {
        const auto st = statement(upsert);
        for (auto it = pairs.cbegin(); it != pairs.cend(); ++it) {
            if (it.value() == 0)
                continue;
            // A missing label or registration is counted under the empty one.
            const auto [day, other] = splitKey(it.key());
            st->bind(1, QString::fromUtf8(day));
            st->bind(2, QString::fromUtf8(other));
            st->bind(3, it.value());
            st->run();
            removed = removed || it.value() < 0;
        }
    }
    if (removed)
        statement(prune)->run();
}

MessageCounts MessageCounts::ofRemoval(Store &store, const std::vector<qint64> &rowids)
{
    MessageCounts tally;
    StoreStatement read(store, Schema::File::AcarsLog,
                        "SELECT coalesce(mTime, ''), coalesce(mReg, ''), "
                        "coalesce(mLabel, '') FROM tMessage WHERE rowid = ?");
    for (qint64 rowid : rowids) {
        read.bind(1, rowid);
        if (read.step())
            tally.add(read.text(0).toUtf8(), read.text(1).toUtf8(), read.text(2).toUtf8(), -1);
        read.reset();
    }
    return tally;
}

void MessageCounts::forgetAll(SqliteDb &db)
{
    db.exec("DELETE FROM MessagesByHour");
    db.exec("DELETE FROM MessagesByLabel");
    db.exec("DELETE FROM MessagesByRegistration");
}

void MessageCounts::recount(SqliteDb &db)
{
    forgetAll(db);
    // One pass over the messages, in the order they lie, tallied in memory
    // and written out in parts: three GROUP BY queries would sort the table
    // three times. Parts merge in the kept rows, so no tally grows without bound.
    MessageCounts tally;
    SqliteStatement read(db, "SELECT mTime, mReg, mLabel FROM tMessage");
    const auto bytes = [&read](int column) {
        const auto *text =
            reinterpret_cast<const char *>(sqlite3_column_text(read.handle(), column));
        return QByteArray(text ? text : "", sqlite3_column_bytes(read.handle(), column));
    };
    while (read.step()) {
        tally.add(bytes(0), bytes(1), bytes(2));
        if (tally.m_regs.size() >= kRecountPart) {
            tally.applyTo(db);
            tally.clear();
        }
    }
    tally.applyTo(db);
}

} // namespace corvane
