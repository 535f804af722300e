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
    r.mTime = CountedHeader::bracketedTime(line);
    if (r.mTime.isEmpty())
        return ReadOutcome::Dropped;

    QByteArray direction, rest;
    switch (CountedHeader::read(s, kGaps, {}, r, direction, rest)) {
    case CountedHeader::Kind::EndOfText:
        return ReadOutcome::EndOfText;
    case CountedHeader::Kind::Dropped:
        return ReadOutcome::Dropped;
    case CountedHeader::Kind::Uplink: {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, &lastLine))
            return ReadOutcome::EndOfText;
        r.mTime = displayTime(lastLine.right(17));
        CountedHeader::handOverUplink(r, direction.size());
        return ReadOutcome::Record;
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
    return ReadOutcome::Record;
}

} // namespace corvane
