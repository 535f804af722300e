#include "FeedDetails.h"

#include "SqliteDb.h"
#include "Store.h"

namespace corvane
{

namespace
{
std::optional<double> number(const SqliteStatement &s, int column)
{
    if (s.isNull(column))
        return std::nullopt;
    return s.value(column).toDouble();
}
} // namespace

std::optional<FeedDetails> FeedDetails::forMessage(Store &store, qint64 messageRowId)
{
    SqliteStatement s(store.acarsLog(),
                      "SELECT Decoder, Station, Frequency, SignalLevel FROM FeedDetails "
                      "WHERE MessageId = ?");
    s.bind(1, messageRowId);
    if (!s.step())
        return std::nullopt;
    FeedDetails d;
    d.decoder = s.text(0);
    d.station = s.text(1);
    d.frequencyMhz = number(s, 2);
    d.signalLevel = number(s, 3);
    return d;
}

} // namespace corvane
