#include "MessageDeletion.h"

#include "MessageCompanions.h"
#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

// A pair's messages are found through the registration's index: one
// registration has few messages, while one flight number ("Uplink") may have
// millions.
namespace
{

void bindKey(SqliteStatement &st, const QString &registration, const QString &flight)
{
    st.bind(1, registration);
    st.bind(2, flight);
}

} // namespace

MessageDeletion::MessageDeletion(Store &store) : m_db(store.acarsLog()) {}

bool MessageDeletion::deleteMessage(qint64 rowid)
{
    SqliteTransaction tx(m_db);
    SqliteStatement message(m_db, "SELECT mReg, mFlight, mTime FROM tMessage WHERE rowid = ?");
    message.bind(1, rowid);
    if (!message.step())
        return false;
    const QString registration = message.text(0);
    const QString flight = message.text(1);
    const QString time = message.text(2);
    message.reset();
    removeMessages({rowid});

    SqliteStatement pair(m_db, "SELECT rowid, FirstHeard, LastHeard FROM ACARSLOG "
                               "WHERE Registration = ? AND Flight = ? ORDER BY rowid LIMIT 1");
    bindKey(pair, registration, flight);
    if (!pair.step()) {
        tx.commit();
        return true;
    }
    const PairRow p{pair.int64(0), pair.text(1), pair.text(2)};
    pair.reset();

    if (!pairHasMessages(registration, flight)) {
        SqliteStatement drop(m_db, "DELETE FROM ACARSLOG WHERE Registration = ? AND Flight = ?");
        bindKey(drop, registration, flight);
        drop.run();
        // The aircraft may still have messages under other flights.
        recountAircraft(registration);
    } else if (time != p.first && time != p.last) {
        SqliteStatement lower(m_db, "UPDATE ACARSLOG SET TimesHeard = MAX(TimesHeard - 1, 1) "
                                    "WHERE rowid = ?");
        lower.bind(1, p.rowid);
        lower.run();
        decreaseAircraft(registration);
    } else {
        narrowPair(p.rowid, registration, flight);
        narrowAircraft(registration);
    }
    tx.commit();
    return true;
}

bool MessageDeletion::deletePair(const QString &registration, const QString &flight)
{
    SqliteTransaction tx(m_db);
    std::vector<qint64> rowids;
    SqliteStatement messages(m_db, "SELECT rowid FROM tMessage INDEXED BY idxMessageReg "
                                   "WHERE mReg = ? AND mFlight = ?");
    bindKey(messages, registration, flight);
    while (messages.step())
        rowids.push_back(messages.int64(0));
    messages.reset();

    SqliteStatement drop(m_db, "DELETE FROM ACARSLOG WHERE Registration = ? AND Flight = ?");
    bindKey(drop, registration, flight);
    drop.run();
    const bool hadPair = sqlite3_changes(m_db.handle()) > 0;
    if (!hadPair && rowids.empty())
        return false;
    removeMessages(rowids);
    recountAircraft(registration);
    tx.commit();
    return true;
}

void MessageDeletion::removeMessages(const std::vector<qint64> &rowids)
{
    MessageCompanions(m_db).forgetMessages(rowids);
    SqliteStatement remove(m_db, "DELETE FROM tMessage WHERE rowid = ?");
    for (qint64 rowid : rowids) {
        remove.bind(1, rowid);
        remove.run();
    }
}

bool MessageDeletion::pairHasMessages(const QString &registration, const QString &flight)
{
    SqliteStatement any(m_db, "SELECT 1 FROM tMessage INDEXED BY idxMessageReg "
                              "WHERE mReg = ? AND mFlight = ? LIMIT 1");
    bindKey(any, registration, flight);
    return any.step();
}

void MessageDeletion::narrowPair(qint64 pairRowid, const QString &registration,
                                 const QString &flight)
{
    SqliteStatement st(m_db, "UPDATE ACARSLOG SET "
                             "FirstHeard = (SELECT MIN(mTime) FROM tMessage INDEXED BY "
                             "idxMessageReg WHERE mReg = ?1 AND mFlight = ?2), "
                             "LastHeard = (SELECT MAX(mTime) FROM tMessage INDEXED BY "
                             "idxMessageReg WHERE mReg = ?1 AND mFlight = ?2), "
                             "TimesHeard = MAX(TimesHeard - 1, 1) WHERE rowid = ?3");
    bindKey(st, registration, flight);
    st.bind(3, pairRowid);
    st.run();
}

void MessageDeletion::narrowAircraft(const QString &registration)
{
    SqliteStatement st(m_db, "UPDATE UniqueAircraft SET "
                             "FirstHeard = (SELECT MIN(mTime) FROM tMessage WHERE mReg = ?1), "
                             "LastHeard = (SELECT MAX(mTime) FROM tMessage WHERE mReg = ?1), "
                             "TimesHeard = MAX(TimesHeard - 1, 1) WHERE Registration = ?1");
    st.bind(1, registration);
    st.run();
}

void MessageDeletion::decreaseAircraft(const QString &registration)
{
    SqliteStatement st(m_db, "UPDATE UniqueAircraft SET TimesHeard = MAX(TimesHeard - 1, 1) "
                             "WHERE Registration = ?");
    st.bind(1, registration);
    st.run();
}

void MessageDeletion::recountAircraft(const QString &registration)
{
    SqliteStatement left(m_db,
                         "SELECT COUNT(*), MIN(mTime), MAX(mTime) FROM tMessage WHERE mReg = ?");
    left.bind(1, registration);
    left.step();
    const qint64 count = left.int64(0);
    const QString first = left.text(1);
    const QString last = left.text(2);
    left.reset();
    if (count == 0) {
        SqliteStatement drop(m_db, "DELETE FROM UniqueAircraft WHERE Registration = ?");
        drop.bind(1, registration);
        drop.run();
        SqliteStatement unheard(m_db, "UPDATE AIRCRAFT SET \"Heard?\" = 0 WHERE REGISTRATI = ?");
        unheard.bind(1, registration);
        unheard.run();
        return;
    }
    SqliteStatement st(m_db, "UPDATE UniqueAircraft SET FirstHeard = ?, LastHeard = ?, "
                             "TimesHeard = ? WHERE Registration = ?");
    st.bind(1, first);
    st.bind(2, last);
    st.bind(3, count);
    st.bind(4, registration);
    st.run();
}

} // namespace corvane
