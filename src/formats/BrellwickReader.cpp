#include "BrellwickReader.h"

#include "CountedHeader.h"
#include "DecoderStream.h"
#include "FieldRules.h"

namespace corvane
{

using namespace FieldRules;

namespace
{
const CountedHeader::Gaps kGaps{16, 10, 11, 11, 13, 2};
constexpr QByteArrayView kDashes20 = "--------------------";
} // namespace

ReadOutcome BrellwickReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    // The time line: the first line that begins with "[".
    QByteArray line;
    do {
        if (!s.readLine(line))
            return ReadOutcome::EndOfText;
    } while (!line.startsWith('['));
    const auto lineTime = CountedHeader::bracketedTime(line);
    if (!lineTime)
        return ReadOutcome::Dropped;
    r.mTime = *lineTime;

    QByteArray direction, rest;
    switch (CountedHeader::read(s, kGaps, {}, r, direction, rest)) {
    case CountedHeader::Kind::EndOfText:
        return ReadOutcome::EndOfText;
    case CountedHeader::Kind::Dropped:
        return ReadOutcome::Dropped;
    case CountedHeader::Kind::Uplink: {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, lastLine))
            return ReadOutcome::EndOfText;
        QString time = displayTime(lastLine.right(17));
        if (handOverUplinkText(r, direction.size()))
            time = dropClosingBracket(time);
        return takeTime(time, r) ? ReadOutcome::Record : ReadOutcome::Rejected;
    }
    case CountedHeader::Kind::Downlink:
        break;
    }

    QByteArray body;
    if (rest.mid(1).startsWith("Message content:-")) {
        const auto closes = [](const QByteArray &l) { return l.startsWith(kDashes20); };
        if (!CountedHeader::readTextLines(s, closes, body, line))
            return ReadOutcome::EndOfText;
    }
    r.mText = text(body);
    // The time line's date is a date already, which the hand-over keeps whole.
    handOverUplinkText(r, direction.size());
    return ReadOutcome::Record;
}

} // namespace corvane
