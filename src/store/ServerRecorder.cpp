#include "ServerRecorder.h"

#include "AlertLog.h"
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
    QByteArray out = text;
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
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
    const QByteArray time = r.mTime.toStorageBytes();
    const QByteArray reg = r.mReg.toUtf8();
    const QByteArray flight = r.mFlight.toUtf8();
    m_batch.push_back({r, time});
    m_heldBytes += heldSize(r);

    Heard &pair = m_pairs[folded(reg) + '\x1f' + folded(flight)];
    if (pair.times == 0) {
        pair.reg = reg;
        pair.flight = flight;
        pair.sink = sink;
    }
    tally(pair, time);
    Heard &aircraft = m_aircraft[folded(reg)];
    if (aircraft.times == 0)
        aircraft.reg = reg;
    tally(aircraft, time);
    m_counts.add(time, reg, r.mLabel.toUtf8());

    if ((int(m_batch.size()) >= m_batchLimit || m_batchClock.elapsed() >= m_batchMillis) &&
        (!m_holding || retryDue()))
        commitBatch();
    return StoreResult::Stored;
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
    m_pairs.clear();
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
    std::vector<NewPair> newPairs;
    for (int attempt = 1;; ++attempt) {
        try {
            if (!m_db.isConnected() && !m_db.reconnect())
                m_db.fail(QStringLiteral("the server cannot be reached"));
            newPairs.clear();
            writeBatch(newPairs);
            break;
        } catch (const StoreError &e) {
            if (attempt < kAttempts && m_db.isConnected() && m_db.lastFailureIsTransient())
                continue;
            // A server that refuses the batch itself would refuse it again.
            if (!m_holdWhileAway || m_db.isConnected()) {
                forgetSinks();
                throw;
            }
            keepWhileAway(e);
            return;
        }
    }
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

void ServerRecorder::registerLog(const QString &name)
{
    m_db.query("INSERT INTO LOGSPROCESSED (FileName) VALUES ($1)",
               {name.right(ProcessedLogs::kNameLength).toUtf8()});
}

bool ServerRecorder::logRegistered(const QString &name)
{
    return m_db.query("SELECT 1 FROM LOGSPROCESSED WHERE FileName = $1 LIMIT 1",
                      {name.right(ProcessedLogs::kNameLength).toUtf8()})
               .rows() > 0;
}

Recorder::DayTally ServerRecorder::countDay(const DayRange &day)
{
    StoreFigures figures(m_db);
    return {figures.messagesWithin(day), figures.aircraftLastHeardWithin(day)};
}

void ServerRecorder::writeBatch(std::vector<NewPair> &newPairs)
{
    PgTransaction transaction(m_db);
    copyMessages(takeRowIds(qint64(m_batch.size())));
    upsertPairs(newPairs);
    upsertAircraft();
    applyCounts();
    transaction.commit();
}

std::vector<qint64> ServerRecorder::takeRowIds(qint64 count)
{
    if (m_rowIdSequence.isEmpty())
        m_rowIdSequence =
            m_db.query("SELECT pg_get_serial_sequence('tmessage', 'rowid')").value(0, 0);
    const PgResult ids = m_db.query("SELECT nextval($1::regclass) FROM generate_series(1, $2)",
                                    {m_rowIdSequence, QByteArray::number(count)});
    std::vector<qint64> rowids(size_t(ids.rows()));
    for (int i = 0; i < ids.rows(); ++i)
        rowids[size_t(i)] = ids.int64(i, 0);
    return rowids;
}

void ServerRecorder::copyMessages(const std::vector<qint64> &rowids)
{
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
// made, and those are the pairs heard for the first time.
void ServerRecorder::upsertPairs(std::vector<NewPair> &newPairs)
{
    // The statement orders the rows itself.
    PgArray regs, flights, firsts, lasts, times;
    for (const Heard &h : std::as_const(m_pairs)) {
        regs.add(h.reg.isNull() ? QByteArray("") : h.reg);
        flights.add(h.flight.isNull() ? QByteArray("") : h.flight);
        firsts.add(h.first);
        lasts.add(h.last);
        times.add(h.times);
    }
    const PgResult made = m_db.query(
        "INSERT INTO ACARSLOG AS a (Registration, Flight, FirstHeard, LastHeard, TimesHeard) "
        "SELECT min(r), min(f), min(t1), max(t2), sum(n) FROM unnest($1::text[], $2::text[], "
        "$3::text[], $4::text[], $5::bigint[]) AS u(r, f, t1, t2, n) "
        "GROUP BY r::citext, f::citext ORDER BY r::citext, f::citext "
        "ON CONFLICT (Registration, Flight) DO UPDATE SET "
        "FirstHeard = LEAST(a.FirstHeard, EXCLUDED.FirstHeard), "
        "LastHeard = GREATEST(a.LastHeard, EXCLUDED.LastHeard), "
        "TimesHeard = coalesce(a.TimesHeard, 0) + EXCLUDED.TimesHeard "
        "RETURNING Registration, Flight, xmax = 0",
        {regs.text(), flights.text(), firsts.text(), lasts.text(), times.text()});
    for (int i = 0; i < made.rows(); ++i) {
        if (made.value(i, 2) != "t")
            continue;
        const auto h =
            m_pairs.constFind(folded(made.value(i, 0)) + '\x1f' + folded(made.value(i, 1)));
        if (h != m_pairs.cend() && h->sink)
            newPairs.push_back({h->sink, QString::fromUtf8(made.value(i, 0)),
                                QString::fromUtf8(made.value(i, 1))});
    }
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
