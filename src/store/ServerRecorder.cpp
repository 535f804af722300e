#include "ServerRecorder.h"

#include "AlertLog.h"
#include "AsciiCase.h"
#include "DayRange.h"
#include "NewPairsSink.h"
#include "PgArray.h"
#include "PgConnection.h"
#include "PgCopyText.h"
#include "ProcessedLogs.h"
#include "StoreError.h"
#include "StoreFigures.h"

#include <algorithm>
#include <utility>

namespace corvane
{

namespace
{

// A deadlock is resolved by the server cancelling one side; that side runs again.
constexpr int kAttempts = 5;

// Registrations and flights are keys without regard to case. The batch
// gathers them folded as SQLite's NOCASE does (ASCII); the statements group
// them once more as the server's citext compares, which in a database of
// another locale also folds other letters.
QByteArray folded(const QByteArray &text)
{
    return AsciiCase::upper(text);
}

std::vector<QByteArray> sortedKeys(const QHash<QByteArray, qint64> &counts)
{
    std::vector<QByteArray> keys;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() != 0)
            keys.push_back(it.key());
    std::sort(keys.begin(), keys.end());
    return keys;
}

// What a held message takes in memory, near enough for the bound.
qint64 heldSize(const MessageRecord &r)
{
    const qsizetype chars = r.mMode.size() + r.mReg.size() + r.mLabel.size() + r.mBlk.size() +
                            r.mNo.size() + r.mFlight.size() + r.mText.size() + r.mFileName.size() +
                            r.mFeed.decoder.size() + r.mFeed.station.size();
    return qint64(sizeof(MessageRecord)) + 64 + 2 * qint64(chars);
}

} // namespace

ServerRecorder::ServerRecorder(PgConnection &db) : m_db(db) {}

void ServerRecorder::tally(Heard &h, const QByteArray &time)
{
    // Stored times are "YYYY-MM-DD HH:MM:SS": text order is time order.
    if (h.times == 0 || time < h.first)
        h.first = time;
    if (h.times == 0 || time > h.last)
        h.last = time;
    ++h.times;
}

StoreResult ServerRecorder::storeMessage(const MessageRecord &r, NewPairsSink *sink)
{
    if (skips(r))
        return StoreResult::Skipped;
    if (!r.mTime.isValid())
        return StoreResult::Rejected;
    if (m_holding && m_heldBytes >= m_holdLimitBytes) {
        ++m_refused;
        return StoreResult::Refused;
    }
    if (m_batch.empty())
        m_batchClock.start();
    if (sink && m_orphans)
        adoptOrphans(sink);
    m_batch.push_back({r, r.mTime.toStorageBytes()});
    tallyHeld(m_batch.back(), sink);

    if ((int(m_batch.size()) >= m_batchLimit || m_batchClock.elapsed() >= m_batchMillis) &&
        (!m_holding || retryDue()))
        commitBatch();
    return StoreResult::Stored;
}

void ServerRecorder::tallyHeld(const Held &held, NewPairsSink *sink)
{
    const MessageRecord &r = held.record;
    const QByteArray reg = r.mReg.toUtf8();
    const QByteArray flight = r.mFlight.toUtf8();
    m_heldBytes += heldSize(r);

    const QByteArray key = folded(reg) + '\x1f' + folded(flight);
    auto at = m_pairAt.constFind(key);
    if (at == m_pairAt.cend()) {
        at = m_pairAt.insert(key, qsizetype(m_pairs.size()));
        m_pairs.push_back({reg, flight, r.mReg, r.mFlight, {}, {}, 0, sink});
    }
    tally(m_pairs[size_t(*at)], held.time);
    Heard &aircraft = m_aircraft[folded(reg)];
    if (aircraft.times == 0)
        aircraft.reg = reg;
    tally(aircraft, held.time);
    m_counts.add(held.time, reg, r.mLabel.toUtf8());
}

// The first messages of the batch are in the store after all (a commit the
// server made without our hearing of it): the batch goes on with the rest.
// Their pairs' first hearings are not told; those of the rest are, to the
// next pass that reports pairs.
void ServerRecorder::leaveOutStored(size_t messages)
{
    std::vector<Held> rest(std::make_move_iterator(m_batch.begin() + qsizetype(messages)),
                           std::make_move_iterator(m_batch.end()));
    if (m_publisher)
        for (size_t i = 0; i < messages; ++i)
            m_publisher(m_batch[i].record);
    m_rowIds.erase(m_rowIds.begin(), m_rowIds.begin() + qsizetype(messages));
    m_batch = std::move(rest);
    m_heldBytes = 0;
    m_pairs.clear();
    m_pairAt.clear();
    m_aircraft.clear();
    m_counts.clear();
    for (const Held &h : m_batch)
        tallyHeld(h, nullptr);
    for (Heard &pair : m_pairs)
        pair.orphaned = true;
    m_orphans = !m_pairs.empty();
    m_unsure = 0;
}

void ServerRecorder::rollbackBatch()
{
    m_rolledBack += qint64(m_batch.size());
    clearBatch();
}

qint64 ServerRecorder::takeRolledBack()
{
    return std::exchange(m_rolledBack, 0);
}

std::vector<MessageRecord> ServerRecorder::takeHeld()
{
    std::vector<MessageRecord> records;
    records.reserve(m_batch.size());
    for (Held &h : m_batch)
        records.push_back(std::move(h.record));
    clearBatch();
    return records;
}

qint64 ServerRecorder::takeRefused()
{
    return std::exchange(m_refused, 0);
}

void ServerRecorder::clearBatch()
{
    m_holding = false;
    m_heldBytes = 0;
    m_awayReason.clear();
    m_orphans = false;
    m_batch.clear();
    m_rowIds.clear();
    m_unsure = 0;
    m_pairs.clear();
    m_pairAt.clear();
    m_aircraft.clear();
    m_counts.clear();
}

void ServerRecorder::commitBatch()
{
    if (m_batch.empty())
        return;
    if (m_holding && !retryDue()) {
        forgetSinks();
        return;
    }
    const PgConnection::AnswerBound bound(m_db, m_answerMillis);
    std::vector<NewPair> newPairs;
    for (int attempt = 1;; ++attempt) {
        m_committing = false;
        try {
            if (!m_db.isConnected() && !m_db.reconnect())
                m_db.fail(QStringLiteral("the server cannot be reached"));
            newPairs.clear();
            writeBatch(newPairs);
            break;
        } catch (const StoreError &e) {
            // Sent, but never answered: the server may have made it.
            if (m_committing && !m_db.isConnected())
                m_unsure = m_batch.size();
            // The rowids of an unanswered commit are in the store: it was made.
            if (m_unsure > 0 && m_db.isConnected() && m_db.lastState() == "23505") {
                leaveOutStored(m_unsure);
                if (m_batch.empty()) {
                    clearBatch();
                    return;
                }
                --attempt;
                continue;
            }
            if (attempt < kAttempts && m_db.isConnected() && m_db.lastFailureIsTransient())
                continue;
            // A server that refuses the batch itself would refuse it again.
            // An import does not hold: it stops, and goes on from there later.
            if (!m_holdWhileAway || m_bulk || m_db.isConnected()) {
                forgetSinks();
                throw;
            }
            keepWhileAway(e);
            return;
        }
    }
    noteLogStored();
    const std::vector<Held> committed = std::move(m_batch);
    clearBatch();
    for (const NewPair &p : newPairs)
        p.sink->newPair(p.registration, p.flight);
    if (m_publisher)
        for (const Held &h : committed)
            m_publisher(h.record);
}

void ServerRecorder::commitNow()
{
    m_awayClock.invalidate();
    commitBatch();
}

void ServerRecorder::keepWhileAway(const StoreError &why)
{
    m_holding = true;
    // The server's messages run over several lines; a report takes one.
    m_awayReason = why.message().simplified();
    m_awayClock.start();
    forgetSinks();
}

// The sinks belong to the passes that read the messages, which end when
// they commit: a batch the server takes later tells its pairs to the next
// pass that reports pairs.
void ServerRecorder::forgetSinks()
{
    for (Heard &pair : m_pairs) {
        if (!pair.sink)
            continue;
        pair.sink = nullptr;
        pair.orphaned = true;
        m_orphans = true;
    }
}

void ServerRecorder::adoptOrphans(NewPairsSink *sink)
{
    for (Heard &pair : m_pairs)
        if (std::exchange(pair.orphaned, false))
            pair.sink = sink;
    m_orphans = false;
}

bool ServerRecorder::retryDue() const
{
    return !m_awayClock.isValid() || m_awayClock.elapsed() >= m_retryMillis;
}

void ServerRecorder::recordAlerts(const QList<AlertRow> &rows)
{
    if (rows.isEmpty())
        return;
    const PgConnection::AnswerBound bound(m_db, m_answerMillis);
    PgArray times, alerts, texts;
    for (const AlertRow &row : rows) {
        times.add(row.dateTime.toUtf8());
        alerts.add(row.alert.toUtf8());
        texts.add(row.message.toUtf8());
    }
    m_db.query("INSERT INTO ALERTS (DATETIME, ALERT, MESSAGE) "
               "SELECT * FROM unnest($1::text[], $2::text[], $3::text[])",
               {times.text(), alerts.text(), texts.text()});
}

ProcessedLogs::Entry ServerRecorder::logEntry(const QString &name)
{
    const PgConnection::AnswerBound bound(m_db, m_answerMillis);
    return ProcessedLogs(m_db).entry(name);
}

void ServerRecorder::listLogWhole(const QString &name)
{
    const PgConnection::AnswerBound bound(m_db, m_answerMillis);
    ProcessedLogs(m_db).setWhole(name);
}

Recorder::DayTally ServerRecorder::countDay(const DayRange &day)
{
    const PgConnection::AnswerBound bound(m_db, m_answerMillis);
    StoreFigures figures(m_db);
    return {figures.messagesWithin(day), figures.aircraftLastHeardWithin(day)};
}

void ServerRecorder::writeBatch(std::vector<NewPair> &newPairs)
{
    PgTransaction transaction(m_db);
    takeRowIds();
    copyMessages();
    upsertPairs(newPairs);
    upsertAircraft();
    applyCounts();
    ProcessedLogs logs(m_db);
    listLogProgress(logs);
    m_committing = true;
    transaction.commit();
}

// Messages keep the rowids they were given at their first attempt.
void ServerRecorder::takeRowIds()
{
    const qint64 count = qint64(m_batch.size() - m_rowIds.size());
    if (count <= 0)
        return;
    if (m_rowIdSequence.isEmpty())
        m_rowIdSequence =
            m_db.query("SELECT pg_get_serial_sequence('tmessage', 'rowid')").value(0, 0);
    const PgResult ids = m_db.query("SELECT nextval($1::regclass) FROM generate_series(1, $2)",
                                    {m_rowIdSequence, QByteArray::number(count)});
    for (int i = 0; i < ids.rows(); ++i)
        m_rowIds.push_back(ids.int64(i, 0));
}

void ServerRecorder::copyMessages()
{
    const std::vector<qint64> &rowids = m_rowIds;
    size_t next = 0;
    m_db.copyIn("COPY tMessage (rowid, mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, "
                "mFileName) FROM STDIN",
                [&](QByteArray &piece) {
                    PgCopyText row(piece);
                    for (; next < m_batch.size() && piece.size() < (1 << 20); ++next) {
                        const MessageRecord &r = m_batch[next].record;
                        row.number(rowids[next]);
                        for (const QString *field :
                             {&r.mMode, &r.mReg, &r.mLabel, &r.mBlk, &r.mNo, &r.mFlight, &r.mText})
                            row.text(field->toUtf8());
                        row.text(m_batch[next].time);
                        row.text(r.mFileName.toUtf8());
                        row.endRow();
                    }
                    return next < m_batch.size();
                });
    QByteArray details;
    PgCopyText row(details);
    for (size_t i = 0; i < m_batch.size(); ++i) {
        const FeedDetails &d = m_batch[i].record.mFeed;
        if (d.isEmpty())
            continue;
        row.number(rowids[i]);
        row.text(d.decoder.toUtf8());
        row.text(d.station.toUtf8());
        d.frequencyMhz ? row.real(*d.frequencyMhz) : row.null();
        d.signalLevel ? row.real(*d.signalLevel) : row.null();
        row.endRow();
    }
    if (!details.isEmpty())
        m_db.copyIn("COPY FeedDetails (MessageId, Decoder, Station, Frequency, SignalLevel) FROM "
                    "STDIN",
                    [&](QByteArray &piece) {
                        piece = details;
                        return false;
                    });
}

// The batch's pairs go in as one statement; the server tells which rows it
// made, and those are the pairs heard for the first time. Each is told in
// the order first heard, as the files tell them.
void ServerRecorder::upsertPairs(std::vector<NewPair> &newPairs)
{
    // The arrays follow the order heard, which their ordinality keeps; the
    // statement writes the rows in key order itself.
    PgArray regs, flights, firsts, lasts, times;
    for (const Heard &h : m_pairs) {
        regs.add(h.reg.isNull() ? QByteArray("") : h.reg);
        flights.add(h.flight.isNull() ? QByteArray("") : h.flight);
        firsts.add(h.first);
        lasts.add(h.last);
        times.add(h.times);
    }
    const PgResult made = m_db.query(
        "WITH input AS (SELECT min(r) AS r, min(f) AS f, min(t1) AS t1, max(t2) AS t2, "
        "sum(n) AS n, min(k) AS k FROM unnest($1::text[], $2::text[], $3::text[], $4::text[], "
        "$5::bigint[]) WITH ORDINALITY AS u(r, f, t1, t2, n, k) GROUP BY r::citext, f::citext), "
        "made AS (INSERT INTO ACARSLOG AS a (Registration, Flight, FirstHeard, LastHeard, "
        "TimesHeard) SELECT r, f, t1, t2, n FROM input ORDER BY r::citext, f::citext "
        "ON CONFLICT (Registration, Flight) DO UPDATE SET "
        "FirstHeard = LEAST(a.FirstHeard, EXCLUDED.FirstHeard), "
        "LastHeard = GREATEST(a.LastHeard, EXCLUDED.LastHeard), "
        "TimesHeard = coalesce(a.TimesHeard, 0) + EXCLUDED.TimesHeard "
        "RETURNING Registration, Flight, xmax = 0 AS fresh) "
        "SELECT i.k FROM made m JOIN input i "
        "ON m.Registration = i.r::citext AND m.Flight = i.f::citext WHERE m.fresh",
        {regs.text(), flights.text(), firsts.text(), lasts.text(), times.text()});
    std::vector<bool> fresh(m_pairs.size());
    for (int i = 0; i < made.rows(); ++i) {
        const qint64 heard = made.int64(i, 0); // counted from 1
        if (heard >= 1 && heard <= qint64(fresh.size()))
            fresh[size_t(heard - 1)] = true;
    }
    for (size_t i = 0; i < m_pairs.size(); ++i)
        if (fresh[i] && m_pairs[i].sink)
            newPairs.push_back({m_pairs[i].sink, m_pairs[i].regText, m_pairs[i].flightText});
}

void ServerRecorder::upsertAircraft()
{
    PgArray regs, firsts, lasts, times;
    for (const Heard &h : std::as_const(m_aircraft)) {
        regs.add(h.reg.isNull() ? QByteArray("") : h.reg);
        firsts.add(h.first);
        lasts.add(h.last);
        times.add(h.times);
    }
    m_db.query("INSERT INTO UniqueAircraft AS a (Registration, FirstHeard, LastHeard, TimesHeard) "
               "SELECT min(r), min(t1), max(t2), sum(n) FROM unnest($1::text[], $2::text[], "
               "$3::text[], $4::bigint[]) AS u(r, t1, t2, n) GROUP BY r::citext ORDER BY r::citext "
               "ON CONFLICT (Registration) DO UPDATE SET "
               "FirstHeard = LEAST(a.FirstHeard, EXCLUDED.FirstHeard), "
               "LastHeard = GREATEST(a.LastHeard, EXCLUDED.LastHeard), "
               "TimesHeard = coalesce(a.TimesHeard, 0) + EXCLUDED.TimesHeard",
               {regs.text(), firsts.text(), lasts.text(), times.text()});
    // Aircraft of the reference table heard for the first time.
    m_db.query("UPDATE AIRCRAFT SET \"Heard?\" = 1 WHERE REGISTRATI = ANY($1::citext[]) "
               "AND coalesce(\"Heard?\", 0) = 0",
               {regs.text()});
}

void ServerRecorder::applyCounts()
{
    PgArray hours, hourCounts;
    for (const QByteArray &hour : sortedKeys(m_counts.hours())) {
        hours.add(hour);
        hourCounts.add(m_counts.hours().value(hour));
    }
    m_db.query("INSERT INTO MessagesByHour AS c (Hour, Messages) "
               "SELECT h, n FROM unnest($1::text[], $2::bigint[]) AS u(h, n) ORDER BY h "
               "ON CONFLICT (Hour) DO UPDATE SET Messages = c.Messages + EXCLUDED.Messages",
               {hours.text(), hourCounts.text()});
    const auto applyPairs = [this](const QHash<QByteArray, qint64> &counts, const QByteArray &sql) {
        PgArray days, others, numbers;
        for (const QByteArray &key : sortedKeys(counts)) {
            const auto [day, other] = MessageCounts::splitKey(key);
            days.add(day);
            others.add(other);
            numbers.add(counts.value(key));
        }
        m_db.query(sql, {days.text(), others.text(), numbers.text()});
    };
    applyPairs(
        m_counts.labels(),
        "INSERT INTO MessagesByLabel AS c (Day, Label, Messages) "
        "SELECT d, o, sum(n) FROM unnest($1::text[], $2::text[], $3::bigint[]) AS u(d, o, n) "
        "GROUP BY d, o ORDER BY d, o "
        "ON CONFLICT (Day, Label) DO UPDATE SET Messages = c.Messages + EXCLUDED.Messages");
    // Spellings of one registration that differ in case are one key: summed first.
    applyPairs(m_counts.registrations(),
               "INSERT INTO MessagesByRegistration AS c (Day, Registration, Messages) "
               "SELECT d, min(o), sum(n) FROM unnest($1::text[], $2::text[], $3::bigint[]) "
               "AS u(d, o, n) GROUP BY d, o::citext ORDER BY d, o::citext "
               "ON CONFLICT (Day, Registration) DO UPDATE SET "
               "Messages = c.Messages + EXCLUDED.Messages");
}

} // namespace corvane
