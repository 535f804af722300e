#pragma once

#include <QString>
#include <optional>

namespace corvane
{

class Store;

// What a network decoder tells of a message beyond the message table's
// columns: which decoder, which station, the frequency and the signal level.
// Kept in a table of its own, one row per message, keyed by the message's
// rowid and written in the same transaction as the message.
struct FeedDetails {
    QString decoder; // empty: the message came from no such decoder
    QString station;
    std::optional<double> frequencyMhz;
    std::optional<double> signalLevel;

    bool isEmpty() const { return decoder.isEmpty(); }

    // The details of a stored message; nothing for a message of the other
    // decoders (or one that is gone).
    static std::optional<FeedDetails> forMessage(Store &store, qint64 messageRowId);

    friend bool operator==(const FeedDetails &, const FeedDetails &) = default;
};

} // namespace corvane
