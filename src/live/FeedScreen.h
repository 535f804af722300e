#pragma once

#include "formats/JsonTree.h"

#include <QByteArrayView>

namespace corvane
{

// Looks at each datagram or line on the receiving thread before it is
// queued: one that holds no well-formed JSON object (junk, a broken or
// oversized object) is never queued, so it takes no room from the messages
// behind it; the pieces the feed's reader would reject are counted instead.
// Only the syntax is checked here, which keeps the receiving thread quick;
// whose object it is and what it holds is for the reader.
class FeedScreen
{
public:
    struct Verdict {
        bool keep = false; // queue it: the reader will count its pieces itself
        int rejected = 0;  // not kept: the pieces the reader would reject
    };
    Verdict look(QByteArrayView chunk);

private:
    JsonTree m_tree; // kept, so that its nodes are not allocated for each object
};

} // namespace corvane
