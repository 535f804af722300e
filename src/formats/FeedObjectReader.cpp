#include "FeedObjectReader.h"

#include "FeedObjectMapper.h"
#include "JsonObjectSplitter.h"

namespace corvane
{

void FeedObjectReader::read(const char *data, size_t size, std::vector<FeedItem> &out)
{
    const QByteArrayView buffer(data, qsizetype(size));
    const int refused =
        JsonObjectSplitter::split(buffer, [&](QByteArrayView object) { readObject(object, out); });
    for (int i = 0; i < refused; ++i)
        out.push_back({});
}

void FeedObjectReader::readObject(QByteArrayView object, std::vector<FeedItem> &out)
{
    if (!m_tree.parse(object)) {
        out.push_back({});
        return;
    }
    FeedItem item;
    switch (FeedObjectMapper::map(m_decoder, m_tree, m_clock, item.record)) {
    case FeedObjectOutcome::PassedOver:
        return;
    case FeedObjectOutcome::Rejected:
        out.push_back({});
        return;
    case FeedObjectOutcome::FailedCheck:
        item.outcome = ReadOutcome::Rejected;
        break;
    case FeedObjectOutcome::Message:
        item.outcome = ReadOutcome::Record;
        break;
    }
    out.push_back(std::move(item));
}

} // namespace corvane
