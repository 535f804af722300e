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
    const FeedObjectOutcome outcome =
        FeedObjectMapper::map(m_decoder, m_tree, m_clock, item.record);
    if (outcome == FeedObjectOutcome::Rejected) {
        ++m_rejected;
        probeOthers();
    } else {
        ++m_ours;
    }
    switch (outcome) {
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

void FeedObjectReader::probeOthers()
{
    // Only while this decoder has read nothing: one object of its own ends
    // the question, and the probes cost nothing more.
    if (m_ours > 0)
        return;
    for (size_t d = 0; d < kFeedDecoderCount; ++d) {
        const auto other = FeedDecoder(d);
        MessageRecord scratch;
        if (other != m_decoder && FeedObjectMapper::map(other, m_tree, m_probeClock, scratch) !=
                                      FeedObjectOutcome::Rejected)
            ++m_readByOther[d];
    }
}

std::vector<FeedDecoder> FeedObjectReader::lookalikes() const
{
    std::vector<FeedDecoder> found;
    if (m_ours > 0 || m_rejected == 0)
        return found;
    for (size_t d = 0; d < kFeedDecoderCount; ++d)
        if (m_readByOther[d] == m_rejected)
            found.push_back(FeedDecoder(d));
    return found;
}

} // namespace corvane
