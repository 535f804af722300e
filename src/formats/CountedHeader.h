#pragma once

#include "RecordReader.h"

#include <QByteArray>
#include <functional>
#include <optional>

namespace corvane
{

class DecoderStream;

// The record header that AirMaster writes and ACARSD, ARD2 and Brellwick
// copy with other spacing: after "ACARS mode" each field stands a fixed
// number of characters after the one before. Only the counts between the
// fields and a few tests differ from decoder to decoder, and between a
// decoder's log file and its live text.
class CountedHeader
{
public:
    // Characters passed over between the fields.
    struct Gaps {
        int beforeReg;    // after the mode character
        int beforeLabel;  // after the registration field of 14
        int beforeBlock;  // after a two-character label
        int direction;    // the chunk after the block id that may read "[Uplink]"
        int beforeFlight; // after the message number
        int afterFlight;  // before the rest of the line
    };
    struct Tests {
        bool blankModeDrops = false; // a blank mode character drops the record
        bool dottedRegDrops = false; // a registration of seven dots drops the record
        bool shortLabel = false;     // "X " is the label "X", with one gap character fewer
    };

    enum class Kind { EndOfText, Dropped, Downlink, Uplink };

    // Finds the next "ACARS mode" and reads the header into the record. An
    // uplink stops after the direction chunk; a downlink goes on through the
    // message number and the flight and ends with the rest of its line.
    static Kind read(DecoderStream &stream, const Gaps &gaps, const Tests &tests,
                     MessageRecord &record, QByteArray &direction, QByteArray &restOfLine);

    // Reads the lines of a downlink's message text, each kept with a line
    // break, until the closing line, which is given back. False when the
    // text runs out first.
    static bool readTextLines(DecoderStream &stream,
                              const std::function<bool(const QByteArray &)> &closes,
                              QByteArray &text, QByteArray &closingLine);

    // The date of a time line: from its "[" on, less that "[" and the last
    // `tail` characters, read day before month to the minute. Nothing when
    // there is no "[" or the rest is not a date.
    static std::optional<MessageTime> bracketedTime(QByteArrayView line, int tail = 1);
};

} // namespace corvane
