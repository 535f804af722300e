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
        if (!readUplinkTail(s, direction, "arse", r, lastLine))
            return ReadOutcome::EndOfText;
        // Log lines end one character after the time.
        QByteArray timeText = lastLine.right(18);
        if (log)
            timeText.truncate(17);
        QString time = displayTime(timeText);
        if (log && handOverUplinkText(r, direction.size()))
            time = dropClosingBracket(time);
        return takeTime(time, r) ? ReadOutcome::Record : ReadOutcome::Rejected;
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
    const auto time = CountedHeader::bracketedTime(timeLine);
    if (!time)
        return ReadOutcome::Dropped;
    r.mTime = *time;
    r.mText = text(body);
    // A downlink's time is a date already, which the hand-over keeps whole.
    if (log)
        handOverUplinkText(r, direction.size());
    return ReadOutcome::Record;
}

} // namespace corvane
