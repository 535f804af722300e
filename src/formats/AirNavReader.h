#pragma once

#include "RecordReader.h"

namespace corvane
{

// The AirNav ACARS decoder's text, the same in its log files and in what it
// sends live: a record starts at "ACARS mode"; the header is taken by
// counting characters and testing the decoder's captions, the flight runs
// to the end of its line, the body ends at a run of 37 hyphens that carries
// the reception time. The reader tests every field itself.
class AirNavReader : public RecordReader
{
public:
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;
};

} // namespace corvane
