#include "FeedObjectReader.h"

#include "FeedObjectMapper.h"
#include "JsonObjectSplitter.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace corvane
{

void FeedObjectReader::read(const char *data, size_t size, std::vector<FeedItem> &out) const
{
    const QByteArrayView buffer(data, qsizetype(size));
    const int refused = JsonObjectSplitter::split(
        buffer, [&](QByteArrayView object) { readObject(object.data(), object.size(), out); });
    for (int i = 0; i < refused; ++i)
        out.push_back({});
}

void FeedObjectReader::readObject(const char *data, qsizetype size,
                                  std::vector<FeedItem> &out) const
{
    QJsonParseError error;
    // The object is parsed where it lies; nothing is copied for it.
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromRawData(data, size), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        out.push_back({});
        return;
    }
    FeedItem item;
    switch (FeedObjectMapper::map(m_decoder, doc.object(), item.record)) {
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
