#pragma once

#include "FeedDecoders.h"
#include "JsonTree.h"
#include "LocalClock.h"
#include "RecordReader.h"

#include <array>
#include <cstddef>
#include <vector>

namespace corvane
{

// What one object of a feed gave the record loop: a record (Record), a
// record that failed a field check (Rejected: the uplink filter comes
// first), or a piece counted as rejected without a record (Dropped).
struct FeedItem {
    ReadOutcome outcome = ReadOutcome::Dropped;
    MessageRecord record;
};

// Reads the JSON objects of one decoder from a buffer: a datagram, a line
// of a stream or of a log file. Anything that is not an object of this
// decoder is counted and reading goes on; objects that are no message
// (other frame types, blocks still being assembled) add nothing.
class FeedObjectReader
{
public:
    explicit FeedObjectReader(FeedDecoder decoder) : m_decoder(decoder) {}

    FeedDecoder decoder() const { return m_decoder; }
    // Appends what each object of the buffer gave, in order.
    void read(const char *data, size_t size, std::vector<FeedItem> &out);
    // The other decoders that read every object read so far, when this one
    // read none of them: a log given to the wrong decoder.
    std::vector<FeedDecoder> lookalikes() const;

private:
    void readObject(QByteArrayView object, std::vector<FeedItem> &out);
    // Which other decoders read an object this one rejected.
    void probeOthers();

    FeedDecoder m_decoder;
    JsonTree m_tree; // kept, so that its nodes are not allocated for each object
    LocalClock m_clock;
    LocalClock m_probeClock;
    qint64 m_ours = 0;     // objects this decoder read (or passed over)
    qint64 m_rejected = 0; // objects it rejected
    std::array<qint64, kFeedDecoderCount> m_readByOther{};
};

} // namespace corvane
