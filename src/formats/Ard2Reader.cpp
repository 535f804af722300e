#include "Ard2Reader.h"

#include "CountedHeader.h"
#include "DecoderStream.h"
#include "FieldRules.h"

namespace corvane
{

using namespace FieldRules;

namespace
{
const CountedHeader::Gaps kLogGaps{16, 10, 13, 11, 14, 3};
const CountedHeader::Gaps kLiveGaps{16, 9, 12, 11, 12, 1};
constexpr QByteArrayView kDashes20 = "--------------------";
} // namespace

ReadOutcome Ard2Reader::readRecord(DecoderStream &s, MessageRecord &r)
{
    const bool log = m_source == Source::Log;
    QByteArray direction, rest;
    switch (CountedHeader::read(s, log ? kLogGaps : kLiveGaps, {}, r, direction, rest)) {
    case CountedHeader::Kind::EndOfText:
        return ReadOutcome::EndOfText;
    case CountedHeader::Kind::Dropped:
        return ReadOutcome::Dropped;
    case CountedHeader::Kind::Uplink: {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, lastLine))
            return ReadOutcome::EndOfText;
        QString time = displayTime(lastLine.right(log ? 17 : 18));
        if (log && handOverUplinkText(r, direction.size()))
            time = dropClosingBracket(time);
        return takeTime(time, r) ? ReadOutcome::Record : ReadOutcome::Rejected;
    }
    case CountedHeader::Kind::Downlink:
        break;
    }

    QByteArray body;
    if (rest.startsWith("Message content:-")) {
        QByteArray line;
        // Log files put one line between the caption and the text.
        if (log && !s.readLine(line))
            return ReadOutcome::EndOfText;
        // Live text may end without the closing hyphens: its last line then
        // closes the text.
        const auto closes = [log, &s](const QByteArray &l) {
            return l.startsWith(kDashes20) || (!log && s.atEnd());
        };
        if (!CountedHeader::readTextLines(s, closes, body, line))
            return ReadOutcome::EndOfText;
    }
    r.mText = text(body);
    r.mTime = m_clock().withoutSeconds();
    // The reading time is a date already, which the hand-over keeps whole.
    if (log)
        handOverUplinkText(r, direction.size());
    return ReadOutcome::Record;
}

} // namespace corvane
