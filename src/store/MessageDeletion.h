#pragma once

#include <QString>
#include <vector>

namespace corvane
{

class Store;

// Deletes one message, or a heard pair with all its messages, and corrects
// the two heard registers to match. Each deletion is one transaction: the
// messages, the register corrections and everything kept beside the
// messages go together or not at all. Throws StoreError; nothing is then
// changed.
//
// After a deletion both registers agree with the remaining messages: a pair
// or aircraft row goes when its last message goes, and an aircraft row is
// otherwise kept with the times (and, when a pair went, the count) of the
// messages left. A message without a pair row is still deleted and leaves
// the registers alone.
//
// On a server, stations may be recording the same pair meanwhile: the
// message, then the pair and the aircraft rows are locked before anything
// is read from them, in the order a station's batch takes them, so the
// station's upsert waits for the deletion and adds to what it left.
class MessageDeletion
{
public:
    explicit MessageDeletion(Store &store);

    // False when the message was not there.
    bool deleteMessage(qint64 rowid);
    // False when there was neither a pair row nor a message of the pair.
    bool deletePair(const QString &registration, const QString &flight);

private:
    struct PairRow {
        qint64 rowid = 0;
        QString first;
        QString last;
    };

    void removeMessages(const std::vector<qint64> &rowids);
    bool pairHasMessages(const QString &registration, const QString &flight);
    void narrowPair(qint64 pairRowid, const QString &registration, const QString &flight);
    void narrowAircraft(const QString &registration);
    void decreaseAircraft(const QString &registration);
    // Takes the aircraft row's times and count from its messages, or removes
    // it (and clears the heard flag) when none remain.
    void recountAircraft(const QString &registration);
    void lockAircraft(const QString &registration);
    // The parts of the SQL only one engine knows.
    QByteArray locked() const;
    QByteArray byRegistration() const;
    QByteArray atLeastOne(const char *count) const;

    Store &m_store;
};

} // namespace corvane
