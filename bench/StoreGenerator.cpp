#include "StoreGenerator.h"

#include "MessageTexts.h"
#include "store/MessageCounts.h"
#include "store/MessageSearchIndex.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <algorithm>
#include <optional>

namespace corvane::bench
{

namespace
{

// Binds without copying; the text must outlive the statement's next run.
QByteArray raw(const std::string &s)
{
    return QByteArray::fromRawData(s.data(), qsizetype(s.size()));
}

QByteArray utf8(const std::string &s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

bool hasRows(SqliteDb &db, const char *table)
{
    SqliteStatement q(db, (QByteArray("SELECT 1 FROM ") + table + " LIMIT 1").constData());
    return q.step();
}

} // namespace

void StoreGenerator::Heard::add(std::int64_t wall)
{
    first = std::min(first, wall);
    last = std::max(last, wall);
    ++times;
}

void StoreGenerator::refuseFilledStore(Store &store)
{
    const std::pair<SqliteDb *, const char *> tables[] = {
        {&store.acarsLog(), "tMessage"},       {&store.acarsLog(), "ACARSLOG"},
        {&store.acarsLog(), "UniqueAircraft"}, {&store.acarsLog(), "AIRCRAFT"},
        {&store.acarsLog(), "CARRIERS"},       {&store.routes(), "ROUTES"}};
    for (const auto &[db, table] : tables)
        if (hasRows(*db, table))
            throw StoreError(QStringLiteral("%1 already holds data; generate into a new folder.")
                                 .arg(db->path()));
}

StoreGenerator::Summary StoreGenerator::generate(const QString &folder, const Progress &progress)
{
    Store store;
    store.open(folder);
    refuseFilledStore(store);
    const TrafficModel model(m_options.seed, m_options.sizes);
    m_pairs.assign(model.pairs().size(), {});
    m_uplinks.assign(model.aircraft().size(), {});
    m_aircraft.assign(model.aircraft().size(), {});
    m_logFiles.clear();

    Summary summary;
    writeMessages(store, model, progress, summary);
    writeRegisters(store, model, summary);
    writeReference(store, model, summary);
    return summary;
}

void StoreGenerator::bindMessage(SqliteStatement &insert, const GeneratedMessage &m)
{
    insert.bind(1, raw(m.mode));
    insert.bind(2, raw(m.registration));
    insert.bind(3, raw(m.label));
    insert.bind(4, raw(m.block));
    insert.bind(5, raw(m.number));
    insert.bind(6, raw(m.flight));
    insert.bind(7, raw(m.text));
    insert.bind(8, raw(m.time));
    insert.bind(9, raw(m.fileName));
}

void StoreGenerator::writeMessages(Store &store, const TrafficModel &model,
                                   const Progress &progress, Summary &summary)
{
    SqliteDb &db = store.acarsLog();
    // Building the message indexes once from all rows halves the time at a
    // million messages and saves more beyond; the definitions are the store's.
    std::vector<std::pair<QByteArray, QByteArray>> indexes;
    {
        SqliteStatement q(db, "SELECT name, sql FROM sqlite_master WHERE type = 'index' "
                              "AND tbl_name = 'tMessage' AND sql IS NOT NULL");
        while (q.step())
            indexes.emplace_back(q.text(0).toUtf8(), q.text(1).toUtf8());
    }
    for (const auto &index : indexes)
        db.exec(("DROP INDEX \"" + index.first + '"').constData());
    // No journal and no syncs while filling: a half-written generated store
    // is thrown away, never repaired. The store's own modes return at the end.
    db.exec("PRAGMA journal_mode = OFF");
    db.exec("PRAGMA synchronous = OFF");

    SqliteStatement insert(db, "INSERT INTO tMessage (mMode, mReg, mLabel, mBlk, mNo, mFlight, "
                               "mText, mTime, mFileName) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    MessageStream stream(model,
                         {m_options.messages, m_options.today, m_options.seed, m_options.end});
    const std::int64_t midnight = MessageStream::wallSecond(m_options.end) / 86400 * 86400;
    std::optional<SqliteTransaction> tx(std::in_place, db);
    while (stream.next()) {
        const GeneratedMessage &m = stream.message();
        bindMessage(insert, m);
        insert.run();

        (m.uplink ? m_uplinks[size_t(m.aircraft)] : m_pairs[size_t(m.pair)]).add(m.wallSecond);
        m_aircraft[size_t(m.aircraft)].add(m.wallSecond);
        summary.uplinks += m.uplink;
        summary.today += m.wallSecond >= midnight;
        if (!m.live && (m_logFiles.empty() || m_logFiles.back() != m.fileName))
            m_logFiles.push_back(m.fileName);
        if (++summary.messages % kBatch == 0) {
            tx->commit();
            tx.emplace(db);
            if (progress)
                progress(summary.messages);
        }
    }
    tx->commit();
    tx.emplace(db);
    for (const auto &index : indexes)
        db.exec(index.second.constData());
    // The counts and the search index the recorder would have kept, message by message.
    MessageCounts::recount(db);
    MessageSearchIndex(db).rebuild();
    tx->commit();
    db.exec("PRAGMA journal_mode = WAL");
    db.exec("PRAGMA synchronous = NORMAL");
    if (progress && summary.messages % kBatch != 0)
        progress(summary.messages);
}

void StoreGenerator::writeRegisters(Store &store, const TrafficModel &model, Summary &summary)
{
    SqliteDb &db = store.acarsLog();
    SqliteTransaction tx(db);
    SqliteStatement pair(db, "INSERT INTO ACARSLOG (Registration, Flight, FirstHeard, LastHeard, "
                             "TimesHeard) VALUES (?, ?, ?, ?, ?)");
    const auto addPair = [&](const std::string &reg, const std::string &flight, const Heard &h) {
        if (h.times == 0)
            return;
        pair.bind(1, utf8(reg));
        pair.bind(2, utf8(flight));
        pair.bind(3, utf8(MessageStream::storageTime(h.first)));
        pair.bind(4, utf8(MessageStream::storageTime(h.last)));
        pair.bind(5, qint64(h.times));
        pair.run();
        ++summary.heardPairs;
    };
    for (size_t i = 0; i < m_pairs.size(); ++i) {
        const TrafficModel::Pair &p = model.pairs()[i];
        addPair(model.aircraft()[size_t(p.aircraft)].registration,
                model.flights()[size_t(p.flight)].number, m_pairs[i]);
    }
    for (size_t i = 0; i < m_uplinks.size(); ++i)
        addPair(model.aircraft()[i].registration, "Uplink", m_uplinks[i]);

    SqliteStatement aircraft(db, "INSERT INTO UniqueAircraft (Registration, FirstHeard, "
                                 "LastHeard, TimesHeard) VALUES (?, ?, ?, ?)");
    for (size_t i = 0; i < m_aircraft.size(); ++i) {
        const Heard &h = m_aircraft[i];
        if (h.times == 0)
            continue;
        aircraft.bind(1, utf8(model.aircraft()[i].registration));
        aircraft.bind(2, utf8(MessageStream::storageTime(h.first)));
        aircraft.bind(3, utf8(MessageStream::storageTime(h.last)));
        aircraft.bind(4, qint64(h.times));
        aircraft.run();
        ++summary.heardAircraft;
    }

    // The import keeps the last 50 characters of each log file's name.
    SqliteStatement log(db, "INSERT INTO LOGSPROCESSED (FileName) VALUES (?)");
    for (const std::string &name : m_logFiles) {
        log.bind(1, utf8(name.size() > 50 ? name.substr(name.size() - 50) : name));
        log.run();
    }
    summary.logFiles = int(m_logFiles.size());
    tx.commit();
}

void StoreGenerator::writeReference(Store &store, const TrafficModel &model, Summary &summary)
{
    SqliteDb &db = store.acarsLog();
    SqliteTransaction tx(db);
    SqliteStatement aircraft(db, "INSERT INTO AIRCRAFT (REGISTRATI, TYPE, CARRIER, CN, \"Heard?\") "
                                 "VALUES (?, ?, ?, ?, ?)");
    for (size_t i = 0; i < model.aircraft().size(); ++i) {
        const TrafficModel::Aircraft &a = model.aircraft()[i];
        if (!a.listed)
            continue;
        aircraft.bind(1, utf8(a.registration));
        aircraft.bind(2, utf8(a.type));
        aircraft.bind(3, utf8(model.carriers()[size_t(a.carrier)].icao));
        aircraft.bind(4, utf8(a.cn));
        aircraft.bind(5, qint64(m_aircraft[i].times > 0));
        aircraft.run();
        ++summary.aircraftRows;
    }
    SqliteStatement carrier(db, "INSERT INTO CARRIERS (ICAO, IATA, CARRIER) VALUES (?, ?, ?)");
    for (const TrafficModel::Carrier &c : model.carriers()) {
        carrier.bind(1, utf8(c.icao));
        carrier.bind(2, utf8(c.iata));
        carrier.bind(3, utf8(c.name));
        carrier.run();
        ++summary.carrierRows;
    }
    tx.commit();

    SqliteTransaction routesTx(store.routes());
    SqliteStatement route(store.routes(), "INSERT INTO ROUTES (FLIGHT, ROUTE) VALUES (?, ?)");
    const auto &airports = TrafficModel::airports();
    for (const TrafficModel::Flight &f : model.flights()) {
        if (!f.routed)
            continue;
        route.bind(1, utf8(f.number));
        route.bind(2, utf8(airports[size_t(f.from)] + '-' + airports[size_t(f.to)]));
        route.run();
        ++summary.routeRows;
    }
    routesTx.commit();

    SqliteTransaction alertsTx(store.alerts());
    // A new store starts with the common meanings; the traffic's own list replaces them.
    store.alerts().exec("DELETE FROM LABELS");
    SqliteStatement label(store.alerts(), "INSERT INTO LABELS (CODE, MESSAGE) VALUES (?, ?)");
    for (const MessageTexts::Label &l : MessageTexts::labels()) {
        label.bind(1, QByteArray(l.code));
        label.bind(2, QByteArray(l.meaning));
        label.run();
        ++summary.labelRows;
    }
    alertsTx.commit();
}

} // namespace corvane::bench
