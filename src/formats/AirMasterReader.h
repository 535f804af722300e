#pragma once

#include "RecordReader.h"

namespace corvane
{

// The AirMaster decoder's text ("Air Master 3/2000"): a counted header, the
// message text on lines of its own, and the reception time in brackets on
// the line that closes the record. Log files and live text differ in the
// line that closes the text and in how uplink times are cut.
class AirMasterReader : public RecordReader
{
public:
    enum class Source { Log, Live };

    explicit AirMasterReader(Source source) : m_source(source) {}

    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

private:
    Source m_source;
};

} // namespace corvane
