#pragma once

#include "formats/FeedObjectReader.h"

#include <QByteArrayView>
#include <vector>

namespace corvane
{

// Looks at each datagram or line on the receiving thread as the feed's
// reader will later: one that holds nothing the reader would record or
// check (no JSON object, an object that does not parse, another decoder's,
// only frames that carry no message) is never queued, so junk takes no room
// from the messages behind it. The pieces the reader would reject are
// counted instead.
class FeedScreen
{
public:
    explicit FeedScreen(FeedDecoder decoder) : m_reader(decoder) {}

    struct Verdict {
        bool keep = false; // queue it: the reader will count its pieces itself
        int rejected = 0;  // not kept: the pieces the reader would reject
    };
    Verdict look(QByteArrayView chunk);

private:
    FeedObjectReader m_reader;
    std::vector<FeedItem> m_items;
};

} // namespace corvane
