#pragma once

#include "store/MessageRecord.h"

namespace corvane
{

class DecoderStream;

// What one attempt to read a record gave.
enum class ReadOutcome {
    Record,    // a complete record is in the message record
    Dropped,   // a test failed while reading; the record is dropped, reading goes on
    Rejected,  // a whole record failed a check made at hand-over (the block formats'
               // fields, a time that is no date); it is dropped, but the uplink
               // filter comes first, so an uplink the run does not record is skipped
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
    // After a read that stored nothing: why the file is not of this format,
    // when the reader can tell (empty when it cannot).
    virtual QString refusalAfterRead() const { return {}; }
    // Finds and reads the next record into the (cleared) message record.
    virtual ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) = 0;
};

} // namespace corvane
