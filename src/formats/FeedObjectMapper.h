#pragma once

#include "FeedDecoders.h"
#include "RecordReader.h"

#include <QByteArrayView>

namespace corvane
{

// What one decoder object gave: a message (or one that failed a field check,
// which the uplink filter sees first), an object counted as rejected, or
// one that is no message of ours (another frame type, a block still being
// assembled), which is passed over without counting.
enum class FeedObjectOutcome { Message, FailedCheck, Rejected, PassedOver };

// Turns one parsed object of a network decoder into a message record, with
// the decoder's details beside it.
class JsonTree;
class LocalClock;

class FeedObjectMapper
{
public:
    // The tree holds one parsed object.
    static FeedObjectOutcome map(FeedDecoder decoder, const JsonTree &tree, LocalClock &clock,
                                 MessageRecord &record);

private:
    // acarsdec and vdlm2dec: flat objects.
    static FeedObjectOutcome mapFlat(const JsonTree &t, LocalClock &clock, MessageRecord &r);
    static FeedObjectOutcome mapVdl2(const JsonTree &t, LocalClock &clock, MessageRecord &r);
    static FeedObjectOutcome mapHfdl(const JsonTree &t, LocalClock &clock, MessageRecord &r);
    // The ACARS part that dumpvdl2 and dumphfdl share.
    static FeedObjectOutcome mapAcars(const JsonTree &t, int acars, bool uplink, MessageRecord &r);
    static FeedObjectOutcome mapHfdlPosition(const JsonTree &t, int hfnpdu, MessageRecord &r);
    // The decoder's Unix time as local time; false when it is none (absent,
    // before 1990 or past 9999).
    static bool takeUnixTime(const std::optional<double> &seconds, LocalClock &clock,
                             MessageRecord &r);
    static FeedObjectOutcome checked(MessageRecord &r);
};

} // namespace corvane
