#pragma once

#include "FeedObjectReader.h"

#include <QByteArray>

namespace corvane
{

// The record reader of a network decoder's JSON: a log file is read line by
// line (blank lines pass, a line may hold several objects); a value received
// from the network is read as one buffer, so an object may span lines.
class JsonFeedReader : public RecordReader
{
public:
    enum class Framing { Lines, Whole };

    explicit JsonFeedReader(FeedDecoder decoder, Framing framing = Framing::Lines)
        : m_objects(decoder), m_framing(framing)
    {
    }

    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;
    // Every object belonged to another decoder: names it.
    QString refusalAfterRead() const override;

private:
    bool readMore(DecoderStream &stream);

    FeedObjectReader m_objects;
    Framing m_framing;
    QByteArray m_buffer;
    std::vector<FeedItem> m_pending;
    size_t m_next = 0;
};

} // namespace corvane
