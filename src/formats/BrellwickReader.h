#pragma once

#include "RecordReader.h"

namespace corvane
{

// The Brellwick decoder's log ("Airmaster mode"): each record follows a line
// that holds its reception time in brackets; the header is counted like
// AirMaster's with other spacing.
class BrellwickReader : public RecordReader
{
public:
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;
};

} // namespace corvane
