#include "FeedDetails.h"

#include "Store.h"
#include "StoreStatement.h"

namespace corvane
{

namespace
{
std::optional<double> number(const StoreStatement &s, int column)
{
    if (s.isNull(column))
        return std::nullopt;
    return s.value(column).toDouble();
}
} // namespace

std::optional<FeedDetails> FeedDetails::forMessage(Store &store, qint64 messageRowId)
{
    StoreStatement s(store, Schema::File::AcarsLog,
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
