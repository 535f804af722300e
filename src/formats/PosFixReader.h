#pragma once

#include "RecordReader.h"

#include <QByteArrayView>
#include <QString>

namespace corvane
{

// The PosFix decoder's live text: blocks laid out like the SkySpy block,
// found by "ACARS mode", with the text read line by line and the reception
// time rebuilt from fixed character positions. An uplink takes the rest of
// the text, so it is always the last block of a pass.
class PosFixReader : public RecordReader
{
public:
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

    // Day, month, year, hours and minutes taken from their places in 16
    // characters, "DD?MM?YYYY?HH?mm", whatever separators stand between them.
    static QString rebuildTime(QByteArrayView sixteen);
};

} // namespace corvane
