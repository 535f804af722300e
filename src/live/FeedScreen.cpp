#include "FeedScreen.h"

#include "formats/JsonObjectSplitter.h"

namespace corvane
{

FeedScreen::Verdict FeedScreen::look(QByteArrayView chunk)
{
    Verdict v;
    int broken = 0;
    const int refused = JsonObjectSplitter::split(chunk, [&](QByteArrayView object) {
        if (v.keep)
            return;
        if (m_tree.parse(object))
            v.keep = true;
        else
            ++broken;
    });
    if (!v.keep)
        v.rejected = refused + broken;
    return v;
}

} // namespace corvane
