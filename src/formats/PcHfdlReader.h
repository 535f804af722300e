#pragma once

#include "RecordReader.h"

#include <QByteArray>

namespace corvane
{

// The PC-HFDL decoder's live text: a block close to the SkySpy block but
// with fields of varying width, read by a fixed sequence of counted reads
// and a few key words that keep the reading aligned. An uplink takes the
// rest of the text, so it is always the last block of a pass.
class PcHfdlReader : public RecordReader
{
public:
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

    // The uplink of the PC-HFDL and PosFix live text: the rest of the text.
    // From 100 characters on, the text is its characters from the 20th on
    // without the last 57. The time text is the 16 characters before the
    // closing "]" (the first 16 of the last 20 when there is none). Makes
    // the record an uplink and clears the label and number.
    static void readUplinkRest(DecoderStream &stream, MessageRecord &record, QByteArray &timeText);
};

} // namespace corvane
