#include "MessageDeletion.h"

#include "MessageCompanions.h"
#include "Store.h"
#include "StoreStatement.h"
#include "StoreTransaction.h"

namespace corvane
{

namespace
{

void bindKey(StoreStatement &st, const QString &registration, const QString &flight)
{
    st.bind(1, registration);
    st.bind(2, flight);
}

} // namespace

MessageDeletion::MessageDeletion(Store &store) : m_store(store) {}

QByteArray MessageDeletion::locked() const
{
    return m_store.onServer() ? " FOR UPDATE" : "";
}

// A pair's messages are found through the registration's index: one
// registration has few messages, while one flight number ("Uplink") may have
// millions. The server's planner knows that from its statistics.
QByteArray MessageDeletion::byRegistration() const
{
    return m_store.onServer() ? "" : " INDEXED BY idxMessageReg";
}

QByteArray MessageDeletion::atLeastOne(const char *count) const
{
    return (m_store.onServer() ? "GREATEST(" : "MAX(") + QByteArray(count) + " - 1, 1)";
}

bool MessageDeletion::deleteMessage(qint64 rowid)
{
    StoreTransaction tx(m_store, Schema::File::AcarsLog);
    StoreStatement message(m_store, Schema::File::AcarsLog,
                           "SELECT mReg, mFlight, mTime FROM tMessage WHERE rowid = ?" + locked());
    message.bind(1, rowid);
    if (!message.step())
        return false;
    const QString registration = message.text(0);
    const QString flight = message.text(1);
    const QString time = message.text(2);
    message.reset();

    StoreStatement pair(m_store, Schema::File::AcarsLog,
                        "SELECT rowid, FirstHeard, LastHeard FROM ACARSLOG "
                        "WHERE Registration = ? AND Flight = ? ORDER BY rowid LIMIT 1" +
                            locked());
    bindKey(pair, registration, flight);
    const bool hasPair = pair.step();
    const PairRow p = hasPair ? PairRow{pair.int64(0), pair.text(1), pair.text(2)} : PairRow{};
    pair.reset();
    lockAircraft(registration);
    removeMessages({rowid});
    if (!hasPair) {
        tx.commit();
        return true;
    }

    if (!pairHasMessages(registration, flight)) {
        StoreStatement drop(m_store, Schema::File::AcarsLog,
                            "DELETE FROM ACARSLOG WHERE Registration = ? AND Flight = ?");
        bindKey(drop, registration, flight);
        drop.run();
        // The aircraft may still have messages under other flights.
        recountAircraft(registration);
    } else if (time != p.first && time != p.last) {
        StoreStatement lower(m_store, Schema::File::AcarsLog,
                             "UPDATE ACARSLOG SET TimesHeard = " + atLeastOne("TimesHeard") +
                                 " WHERE rowid = ?");
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
    StoreTransaction tx(m_store, Schema::File::AcarsLog);
    StoreStatement drop(m_store, Schema::File::AcarsLog,
                        "DELETE FROM ACARSLOG WHERE Registration = ? AND Flight = ?");
    bindKey(drop, registration, flight);
    drop.run();
    const bool hadPair = drop.changes() > 0;
    lockAircraft(registration);

    std::vector<qint64> rowids;
    StoreStatement messages(m_store, Schema::File::AcarsLog,
                            "SELECT rowid FROM tMessage" + byRegistration() +
                                " WHERE mReg = ? AND mFlight = ?" + locked());
    bindKey(messages, registration, flight);
    while (messages.step())
        rowids.push_back(messages.int64(0));
    messages.reset();
    if (!hadPair && rowids.empty())
        return false;
    removeMessages(rowids);
    recountAircraft(registration);
    tx.commit();
    return true;
}

void MessageDeletion::lockAircraft(const QString &registration)
{
    if (!m_store.onServer())
        return;
    StoreStatement lock(m_store, Schema::File::AcarsLog,
                        "SELECT 1 FROM UniqueAircraft WHERE Registration = ? FOR UPDATE");
    lock.bind(1, registration);
    lock.run();
}

void MessageDeletion::removeMessages(const std::vector<qint64> &rowids)
{
    MessageCompanions::forgetMessages(m_store, rowids);
    StoreStatement remove(m_store, Schema::File::AcarsLog, "DELETE FROM tMessage WHERE rowid = ?");
    for (qint64 rowid : rowids) {
        remove.bind(1, rowid);
        remove.run();
    }
}

bool MessageDeletion::pairHasMessages(const QString &registration, const QString &flight)
{
    StoreStatement any(m_store, Schema::File::AcarsLog,
                       "SELECT 1 FROM tMessage" + byRegistration() +
                           " WHERE mReg = ? AND mFlight = ? LIMIT 1");
    bindKey(any, registration, flight);
    return any.step();
}

void MessageDeletion::narrowPair(qint64 pairRowid, const QString &registration,
                                 const QString &flight)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE ACARSLOG SET "
                      "FirstHeard = (SELECT MIN(mTime) FROM tMessage" +
                          byRegistration() +
                          " WHERE mReg = ?1 AND mFlight = ?2), "
                          "LastHeard = (SELECT MAX(mTime) FROM tMessage" +
                          byRegistration() +
                          " WHERE mReg = ?1 AND mFlight = ?2), "
                          "TimesHeard = " +
                          atLeastOne("TimesHeard") + " WHERE rowid = ?3");
    bindKey(st, registration, flight);
    st.bind(3, pairRowid);
    st.run();
}

void MessageDeletion::narrowAircraft(const QString &registration)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE UniqueAircraft SET "
                      "FirstHeard = (SELECT MIN(mTime) FROM tMessage WHERE mReg = ?1), "
                      "LastHeard = (SELECT MAX(mTime) FROM tMessage WHERE mReg = ?1), "
                      "TimesHeard = " +
                          atLeastOne("TimesHeard") + " WHERE Registration = ?1");
    st.bind(1, registration);
    st.run();
}

void MessageDeletion::decreaseAircraft(const QString &registration)
{
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE UniqueAircraft SET TimesHeard = " + atLeastOne("TimesHeard") +
                          " WHERE Registration = ?");
    st.bind(1, registration);
    st.run();
}

void MessageDeletion::recountAircraft(const QString &registration)
{
    StoreStatement left(m_store, Schema::File::AcarsLog,
                        "SELECT COUNT(*), MIN(mTime), MAX(mTime) FROM tMessage WHERE mReg = ?");
    left.bind(1, registration);
    left.step();
    const qint64 count = left.int64(0);
    const QString first = left.text(1);
    const QString last = left.text(2);
    left.reset();
    if (count == 0) {
        StoreStatement drop(m_store, Schema::File::AcarsLog,
                            "DELETE FROM UniqueAircraft WHERE Registration = ?");
        drop.bind(1, registration);
        drop.run();
        StoreStatement unheard(m_store, Schema::File::AcarsLog,
                               "UPDATE AIRCRAFT SET \"Heard?\" = 0 WHERE REGISTRATI = ?");
        unheard.bind(1, registration);
        unheard.run();
        return;
    }
    StoreStatement st(m_store, Schema::File::AcarsLog,
                      "UPDATE UniqueAircraft SET FirstHeard = ?, LastHeard = ?, "
                      "TimesHeard = ? WHERE Registration = ?");
    st.bind(1, first);
    st.bind(2, last);
    st.bind(3, count);
    st.bind(4, registration);
    st.run();
}

} // namespace corvane
