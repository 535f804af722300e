#pragma once

#include "FeedDecoders.h"
#include "RecordReader.h"

#include <QJsonObject>

namespace corvane
{

// What one decoder object gave: a message (or one that failed a field check,
// which the uplink filter sees first), an object counted as rejected, or
// one that is no message of ours (another frame type, a block still being
// assembled), which is passed over without counting.
enum class FeedObjectOutcome { Message, FailedCheck, Rejected, PassedOver };

// Turns one parsed object of a network decoder into a message record, with
// the decoder's details beside it.
class FeedObjectMapper
{
public:
    static FeedObjectOutcome map(FeedDecoder decoder, const QJsonObject &object,
                                 MessageRecord &record);

private:
    // acarsdec and vdlm2dec: flat objects.
    static FeedObjectOutcome mapFlat(const QJsonObject &o, MessageRecord &r);
    static FeedObjectOutcome mapVdl2(const QJsonObject &o, MessageRecord &r);
    static FeedObjectOutcome mapHfdl(const QJsonObject &o, MessageRecord &r);
    // The ACARS part that dumpvdl2 and dumphfdl share.
    static FeedObjectOutcome mapAcars(const QJsonObject &acars, bool uplink, MessageRecord &r);
    static FeedObjectOutcome mapHfdlPosition(const QJsonObject &hfnpdu, MessageRecord &r);
    // The decoder's Unix time as local time; false when it is none.
    static bool takeUnixTime(const QJsonValue &seconds, MessageRecord &r);
    static FeedObjectOutcome checked(MessageRecord &r);
};

} // namespace corvane
