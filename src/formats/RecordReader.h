#pragma once

#include "store/MessageRecord.h"

namespace corvane
{

class DecoderStream;

// What one attempt to read a record gave.
enum class ReadOutcome {
    Record,    // a complete record is in the message record
    Dropped,   // a test failed; the record is dropped, reading goes on
    EndOfText, // the text ran out before a record started or finished
};

// Reads one decoder format's records from a stream.
class RecordReader
{
public:
    virtual ~RecordReader() = default;
    // Tests the start of a log file; false refuses the file.
    virtual bool acceptsHeading(DecoderStream &) { return true; }
    virtual QString refusalMessage() const { return {}; }
    // Whether the recorder runs its own field checks on this format's records.
    virtual bool recorderChecks() const { return false; }
    // Finds and reads the next record into the (cleared) message record.
    virtual ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) = 0;
};

} // namespace corvane
