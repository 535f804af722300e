#include "AirMasterReader.h"

#include "CountedHeader.h"
#include "DecoderStream.h"
#include "FieldRules.h"

namespace corvane
{

using namespace FieldRules;

namespace
{
const CountedHeader::Gaps kGaps{16, 10, 12, 11, 13, 2};
constexpr QByteArrayView kDashes20 = "--------------------";
} // namespace

ReadOutcome AirMasterReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    const bool log = m_source == Source::Log;
    CountedHeader::Tests tests;
    tests.blankModeDrops = log;
    QByteArray direction, rest;
    switch (CountedHeader::read(s, kGaps, tests, r, direction, rest)) {
    case CountedHeader::Kind::EndOfText:
        return ReadOutcome::EndOfText;
    case CountedHeader::Kind::Dropped:
        return ReadOutcome::Dropped;
    case CountedHeader::Kind::Uplink: {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, &lastLine))
            return ReadOutcome::EndOfText;
        // Log lines end one character after the time.
        QByteArray time = lastLine.right(18);
        if (log)
            time.truncate(17);
        r.mTime = displayTime(time);
        if (log)
            CountedHeader::handOverUplink(r, direction.size());
        return ReadOutcome::Record;
    }
    case CountedHeader::Kind::Downlink:
        break;
    }

    QByteArray body, timeLine;
    if (rest.startsWith("Message content:-")) {
        const auto closes = [log](const QByteArray &line) {
            if (log)
                return line.endsWith(']') || (line.size() >= 59 && line[58] == '[');
            return line.startsWith(kDashes20);
        };
        if (!CountedHeader::readTextLines(s, closes, body, timeLine))
            return ReadOutcome::EndOfText;
    } else {
        timeLine = rest;
    }
    r.mTime = CountedHeader::bracketedTime(timeLine);
    if (r.mTime.isEmpty())
        return ReadOutcome::Dropped;
    r.mText = text(body);
    return ReadOutcome::Record;
}

} // namespace corvane
