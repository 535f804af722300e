#include "MessageRecorder.h"

#include "AlertLog.h"
#include "AsciiCase.h"
#include "DayRange.h"
#include "MessageSearchIndex.h"
#include "MessageTime.h"
#include "NamedCommands.h"
#include "NewPairsSink.h"
#include "ProcessedLogs.h"
#include "SqliteDb.h"
#include "Store.h"
#include "StoreError.h"
#include "StoreFigures.h"

#include <QVariant>
#include <algorithm>
#include <utility>

namespace corvane
{

namespace
{
// Registers kept in memory between batches stay bounded.
constexpr int kCacheLimit = 200000;

// The registers' keys fold ASCII case, as the tables' NOCASE columns do.
// Written into a buffer kept between messages, so a hit allocates nothing.
void appendFolded(QByteArray &key, const QByteArray &text)
{
    AsciiCase::appendUpper(key, text.constData(), text.size());
}

// A key that shares nothing with the buffer it was built in.
QByteArray ownCopy(const QByteArray &key)
{
    return QByteArray(key.constData(), key.size());
}

qint64 cacheSize(SqliteDb &db)
{
    SqliteStatement st(db, "PRAGMA cache_size");
    return st.step() ? st.int64(0) : 0;
}

void setCacheSize(SqliteDb &db, qint64 size)
{
    // A pragma takes no bound value; the size is a number of ours.
    db.exec(QByteArray("PRAGMA cache_size = " + QByteArray::number(size)).constData());
}

} // namespace

MessageRecorder::MessageRecorder(Store &store) : m_store(store)
{
    SqliteDb &db = store.acarsLog();
    m_insertMessage = std::make_unique<SqliteStatement>(
        db,
        "INSERT INTO tMessage (mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, mFileName) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    m_insertFeedDetails = std::make_unique<SqliteStatement>(
        db, "INSERT INTO FeedDetails (MessageId, Decoder, Station, Frequency, SignalLevel) "
            "VALUES (?, ?, ?, ?, ?)");
    m_searchIndex = std::make_unique<MessageSearchIndex>(db);
    m_findPair = std::make_unique<SqliteStatement>(
        db, "SELECT rowid, FirstHeard, LastHeard, TimesHeard FROM ACARSLOG "
            "WHERE Registration = ? AND Flight = ? ORDER BY rowid LIMIT 1");
    m_insertPair = std::make_unique<SqliteStatement>(
        db, "INSERT INTO ACARSLOG (Registration, Flight, FirstHeard, LastHeard, TimesHeard) "
            "VALUES (?, ?, ?, ?, ?)");
    m_updatePair = std::make_unique<SqliteStatement>(
        db, "UPDATE ACARSLOG SET FirstHeard = ?, LastHeard = ?, TimesHeard = ? WHERE rowid = ?");
    m_findAircraft = std::make_unique<SqliteStatement>(
        db, "SELECT rowid, FirstHeard, LastHeard, TimesHeard FROM UniqueAircraft "
            "WHERE Registration = ? ORDER BY rowid LIMIT 1");
    m_insertAircraft = std::make_unique<SqliteStatement>(
        db, "INSERT INTO UniqueAircraft (Registration, FirstHeard, LastHeard, TimesHeard) "
            "VALUES (?, ?, ?, ?)");
    m_updateAircraft = std::make_unique<SqliteStatement>(
        db,
        "UPDATE UniqueAircraft SET FirstHeard = ?, LastHeard = ?, TimesHeard = ? WHERE rowid = ?");
    m_dataVersion = std::make_unique<SqliteStatement>(db, "PRAGMA data_version");
    m_seenDataVersion = dataVersion();
    m_seenOwnChanges = ownChanges();
}

void MessageRecorder::enterBulk()
{
    m_beforeBulk = {m_batchLimit, m_batchMillis, cacheSize(m_store.acarsLog())};
    setBatchLimits(std::max(m_batchLimit, kBulkBatchLimit),
                   std::max(m_batchMillis, kBulkBatchMillis));
    // Negative sizes are KiB, positive ones pages.
    if (m_beforeBulk.cache < 0 && -m_beforeBulk.cache < kBulkCacheKiB)
        setCacheSize(m_store.acarsLog(), -kBulkCacheKiB);
}

void MessageRecorder::leaveBulk()
{
    setBatchLimits(m_beforeBulk.limit, m_beforeBulk.millis);
    try {
        setCacheSize(m_store.acarsLog(), m_beforeBulk.cache);
    } catch (const StoreError &) {
        // Only the cache stays larger.
    }
}

MessageRecorder::~MessageRecorder()
{
    try {
        commitBatch();
    } catch (const StoreError &) {
        // The batch was rolled back; nothing half-written remains.
    }
}

qint64 MessageRecorder::dataVersion()
{
    m_dataVersion->step();
    const qint64 v = m_dataVersion->int64(0);
    m_dataVersion->reset();
    return v;
}

qint64 MessageRecorder::ownChanges() const
{
    // Changes made through the same connection, by us or by other code.
    return sqlite3_total_changes64(m_store.acarsLog().handle());
}

void MessageRecorder::dropCaches()
{
    m_pairs.clear();
    m_aircraft.clear();
}

void MessageRecorder::beginBatch()
{
    m_tx = std::make_unique<SqliteTransaction>(m_store.acarsLog());
    // Someone else (an editor, another process, other code on this
    // connection) changed the file since our last commit: what we remember
    // of the registers may be stale.
    const bool outside = dataVersion() != m_seenDataVersion || ownChanges() != m_seenOwnChanges;
    m_outsideWrite = m_outsideWrite || outside;
    if (outside || m_pairs.size() + m_aircraft.size() > kCacheLimit)
        dropCaches();
    m_inBatch = 0;
    m_batchClock.start();
}

void MessageRecorder::rollbackBatch()
{
    if (m_tx)
        m_rolledBack += m_inBatch;
    m_newPairs.clear();
    m_tx.reset();
    dropCaches();
    m_inBatch = 0;
    m_toPublish.clear();
    m_batchRegs.clear();
    m_batchTally = {};
    m_counts.clear();
}

void MessageRecorder::commitBatch()
{
    if (!m_tx)
        return;
    try {
        flushRegisters();
        m_counts.applyTo(m_store.acarsLog());
        ProcessedLogs logs(m_store);
        listLogProgress(logs);
        m_tx->commit();
        m_tx.reset();
        m_seenDataVersion = dataVersion();
        m_seenOwnChanges = ownChanges();
    } catch (const StoreError &) {
        rollbackBatch();
        throw;
    }
    noteLogStored();
    m_inBatch = 0;
    m_tally.messages += m_batchTally.messages;
    m_tally.aircraft += m_batchTally.aircraft;
    m_batchTally = {};
    m_counts.clear();
    m_storedRegs.unite(m_batchRegs);
    m_batchRegs.clear();
    // Only now is every message of the batch really stored.
    const std::vector<NewPair> pairs = std::move(m_newPairs);
    m_newPairs.clear();
    for (const NewPair &p : pairs)
        p.sink->newPair(p.registration, p.flight);
    const std::vector<MessageRecord> committed = std::move(m_toPublish);
    m_toPublish.clear();
    if (m_publisher)
        for (const MessageRecord &r : committed)
            m_publisher(r);
}

qint64 MessageRecorder::takeRolledBack()
{
    return std::exchange(m_rolledBack, 0);
}

void MessageRecorder::watchDay(const QDate &day)
{
    m_day = day;
    const DayRange range = DayRange::day(day);
    m_dayStart = range.startText().toLatin1();
    m_dayEnd = range.endText().toLatin1();
    m_tally = m_batchTally = {};
}

Recorder::DayTally MessageRecorder::takeDayTally()
{
    const DayTally tally = m_tally;
    m_tally = {};
    return tally;
}

bool MessageRecorder::takeOutsideWrite()
{
    // A write by anyone else since our last commit is seen here, not only
    // when the next batch begins.
    if (!m_tx && (dataVersion() != m_seenDataVersion || ownChanges() != m_seenOwnChanges)) {
        dropCaches();
        m_seenDataVersion = dataVersion();
        m_seenOwnChanges = ownChanges();
        m_outsideWrite = true;
    }
    const bool seen = m_outsideWrite;
    m_outsideWrite = false;
    return seen;
}

void MessageRecorder::tallyDay(const QByteArray &oldLast, const QByteArray &newLast, bool known)
{
    m_batchTally.aircraft += int(inDay(newLast)) - int(known && inDay(oldLast));
}

void MessageRecorder::touch(Heard &h, const QByteArray &time)
{
    // Stored times are "YYYY-MM-DD HH:MM:SS": text order is time order.
    if (h.first > time)
        h.first = time;
    if (h.last < time)
        h.last = time;
    ++h.times;
    h.dirty = true;
}

MessageRecorder::Heard &MessageRecorder::pairEntry(const QString &reg, const QString &flight,
                                                   const QByteArray &regUtf8,
                                                   const QByteArray &flightUtf8,
                                                   const QByteArray &time, NewPairsSink *sink)
{
    QByteArray &key = m_keyBuffer;
    key.resize(0);
    appendFolded(key, regUtf8);
    key.append('\x1f');
    appendFolded(key, flightUtf8);
    auto it = m_pairs.find(key);
    if (it != m_pairs.end()) {
        touch(*it, time);
        return *it;
    }
    Heard h;
    m_findPair->bind(1, regUtf8);
    m_findPair->bind(2, flightUtf8);
    if (m_findPair->step()) {
        h.rowId = m_findPair->int64(0);
        h.first = m_findPair->text(1).toUtf8();
        h.last = m_findPair->text(2).toUtf8();
        h.times = m_findPair->int64(3);
        m_findPair->reset();
        touch(h, time);
    } else {
        m_findPair->reset();
        h.reg = regUtf8;
        h.flight = flightUtf8;
        h.first = h.last = time;
        h.times = 1;
        h.dirty = true;
        if (sink)
            m_newPairs.push_back({sink, reg, flight});
    }
    return *m_pairs.insert(ownCopy(key), h);
}

MessageRecorder::Heard &MessageRecorder::aircraftEntry(const QByteArray &regUtf8,
                                                       const QByteArray &time)
{
    QByteArray &key = m_keyBuffer;
    key.resize(0);
    appendFolded(key, regUtf8);
    auto it = m_aircraft.find(key);
    if (it != m_aircraft.end()) {
        // One spelling per aircraft and batch is enough for the heard flags,
        // which match registrations without regard to case.
        if (!it->dirty)
            m_batchRegs.insert(regUtf8);
        const QByteArray oldLast = it->last;
        touch(*it, time);
        tallyDay(oldLast, it->last, true);
        return *it;
    }
    m_batchRegs.insert(regUtf8);
    Heard h;
    m_findAircraft->bind(1, regUtf8);
    if (m_findAircraft->step()) {
        h.rowId = m_findAircraft->int64(0);
        h.first = m_findAircraft->text(1).toUtf8();
        h.last = m_findAircraft->text(2).toUtf8();
        h.times = m_findAircraft->int64(3);
        m_findAircraft->reset();
        const QByteArray oldLast = h.last;
        touch(h, time);
        tallyDay(oldLast, h.last, true);
    } else {
        m_findAircraft->reset();
        h.reg = regUtf8;
        h.first = h.last = time;
        h.times = 1;
        h.dirty = true;
        tallyDay({}, h.last, false);
    }
    return *m_aircraft.insert(ownCopy(key), h);
}

void MessageRecorder::insertFeedDetails(const FeedDetails &d)
{
    const auto number = [](const std::optional<double> &v) {
        return v ? QVariant(*v) : QVariant();
    };
    SqliteStatement &ins = *m_insertFeedDetails;
    ins.bind(1, m_store.acarsLog().lastInsertRowId());
    ins.bind(2, d.decoder);
    ins.bind(3, d.station);
    ins.bindVariant(4, number(d.frequencyMhz));
    ins.bindVariant(5, number(d.signalLevel));
    ins.run();
}

StoreResult MessageRecorder::storeMessage(const MessageRecord &r, NewPairsSink *sink)
{
    if (skips(r))
        return StoreResult::Skipped;
    // As a server stores it, so that both engines hold the same text.
    if (r.holdsNul()) {
        MessageRecord clean = r;
        clean.dropNul();
        return storeMessage(clean, sink);
    }
    // A record whose reader never set a time would store a date that is none.
    if (!r.mTime.isValid())
        return StoreResult::Rejected;
    const QByteArray timeText = r.mTime.toStorageBytes();
    const QByteArray reg = r.mReg.toUtf8();
    const QByteArray flight = r.mFlight.toUtf8();

    if (!m_tx)
        beginBatch();
    try {
        SqliteStatement &ins = *m_insertMessage;
        ins.bind(1, r.mMode);
        ins.bind(2, reg);
        ins.bind(3, r.mLabel);
        ins.bind(4, r.mBlk);
        ins.bind(5, r.mNo);
        ins.bind(6, flight);
        ins.bind(7, r.mText);
        ins.bind(8, timeText);
        ins.bind(9, r.mFileName);
        ins.run();
        const qint64 rowid = m_store.acarsLog().lastInsertRowId();
        if (!r.mFeed.isEmpty())
            insertFeedDetails(r.mFeed);
        m_searchIndex->add(rowid, r.mText, reg, flight, r.mLabel);
        pairEntry(r.mReg, r.mFlight, reg, flight, timeText, sink);
        aircraftEntry(reg, timeText);
        m_counts.add(timeText, reg, r.mLabel.toUtf8());
    } catch (const StoreError &) {
        rollbackBatch();
        ++m_rolledBack; // this message, with its batch
        throw;
    }
    if (m_publisher)
        m_toPublish.push_back(r);
    if (inDay(timeText))
        ++m_batchTally.messages;
    if (++m_inBatch >= m_batchLimit || m_batchClock.elapsed() >= m_batchMillis) {
        commitBatch();
    }
    return StoreResult::Stored;
}

void MessageRecorder::flushRegisters()
{
    SqliteDb &db = m_store.acarsLog();
    auto flush = [&db](QHash<QByteArray, Heard> &table, SqliteStatement &update,
                       SqliteStatement &insert, bool withFlight) {
        // Rows already in the table are rewritten in rowid order, which walks
        // the table's pages in order instead of at random.
        std::vector<Heard *> known;
        for (Heard &h : table) {
            if (!h.dirty)
                continue;
            if (h.rowId) {
                known.push_back(&h);
                continue;
            }
            int i = 1;
            insert.bind(i++, h.reg);
            if (withFlight)
                insert.bind(i++, h.flight);
            insert.bind(i++, h.first);
            insert.bind(i++, h.last);
            insert.bind(i++, h.times);
            insert.run();
            h.rowId = db.lastInsertRowId();
            h.dirty = false;
        }
        std::sort(known.begin(), known.end(),
                  [](const Heard *a, const Heard *b) { return a->rowId < b->rowId; });
        for (Heard *h : known) {
            update.bind(1, h->first);
            update.bind(2, h->last);
            update.bind(3, h->times);
            update.bind(4, h->rowId);
            update.run();
            h->dirty = false;
        }
    };
    flush(m_pairs, *m_updatePair, *m_insertPair, true);
    flush(m_aircraft, *m_updateAircraft, *m_insertAircraft, false);
}

void MessageRecorder::refreshHeard()
{
    const qint64 before = ownChanges();
    SqliteDb &db = m_store.acarsLog();
    SqliteTransaction tx(db);
    db.exec(NamedCommands::find(QStringLiteral("UpdateHeard"))->sql);
    tx.commit();
    m_storedRegs.clear();
    noteOwnWrite(before);
}

void MessageRecorder::refreshHeardOfStored()
{
    if (m_storedRegs.isEmpty())
        return;
    const qint64 before = ownChanges();
    SqliteDb &db = m_store.acarsLog();
    if (!m_flagHeard)
        m_flagHeard = std::make_unique<SqliteStatement>(
            db, "UPDATE AIRCRAFT SET \"Heard?\" = 1 WHERE REGISTRATI = ? "
                "AND IFNULL(\"Heard?\", 0) = 0");
    SqliteTransaction tx(db);
    for (const QByteArray &reg : std::as_const(m_storedRegs)) {
        m_flagHeard->bind(1, reg);
        m_flagHeard->run();
    }
    tx.commit();
    m_storedRegs.clear();
    noteOwnWrite(before);
}

void MessageRecorder::noteOwnWrite(qint64 changesBefore)
{
    // The heard flags are not part of what the recorder remembers: its own
    // flag updates do not make the registers or the day's figures stale.
    if (changesBefore == m_seenOwnChanges)
        m_seenOwnChanges = ownChanges();
}

} // namespace corvane

namespace corvane
{

Recorder::DayTally MessageRecorder::countDay(const DayRange &day)
{
    StoreFigures figures(m_store);
    return {figures.messagesWithin(day), figures.aircraftLastHeardWithin(day)};
}

} // namespace corvane

namespace corvane
{

void MessageRecorder::recordAlerts(const QList<AlertRow> &rows)
{
    AlertLog(m_store).add(rows);
}

ProcessedLogs::Entry MessageRecorder::logEntry(const QString &name)
{
    return ProcessedLogs(m_store).entry(name);
}

void MessageRecorder::listLogWhole(const QString &name)
{
    ProcessedLogs(m_store).setWhole(name);
}

} // namespace corvane
