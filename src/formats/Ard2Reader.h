#pragma once

#include "RecordReader.h"
#include "store/MessageTime.h"

#include <functional>

namespace corvane
{

// The ARD2 decoder's text, from its log files or from the lines the live
// link takes from its growing log. The header is counted like AirMaster's
// with other spacing; a downlink carries no time of its own and is stamped
// with the time it is read.
class Ard2Reader : public RecordReader
{
public:
    enum class Source { Log, Live };
    using Clock = std::function<MessageTime()>;

    explicit Ard2Reader(Source source, Clock clock = &MessageTime::now)
        : m_source(source), m_clock(std::move(clock))
    {
    }

    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

private:
    Source m_source;
    Clock m_clock;
};

} // namespace corvane
