#include "FeedScreen.h"

namespace corvane
{

FeedScreen::Verdict FeedScreen::look(QByteArrayView chunk)
{
    m_items.clear();
    m_reader.read(chunk.data(), size_t(chunk.size()), m_items);
    Verdict v;
    for (const FeedItem &item : m_items) {
        if (item.outcome != ReadOutcome::Dropped) {
            v.keep = true;
            v.rejected = 0;
            break;
        }
        ++v.rejected;
    }
    return v;
}

} // namespace corvane
