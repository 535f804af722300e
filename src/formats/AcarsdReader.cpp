#include "AcarsdReader.h"

#include "CountedHeader.h"
#include "DecoderStream.h"
#include "FieldRules.h"

#include <QDir>
#include <QFile>

namespace corvane
{

using namespace FieldRules;

namespace
{
constexpr QByteArrayView kContent = "Message content:-";

const CountedHeader::Gaps kLogGaps{15, 10, 11, 10, 13, 1};
const CountedHeader::Gaps kLiveGaps{15, 9, 11, 11, 12, 1};
const CountedHeader::Tests kTests{true, true, true};

// Live downlinks keep their time in the last 80 characters of the line; it
// is followed by four characters that are not part of it.
constexpr qsizetype kLiveTimePart = 80;
constexpr int kLiveTimeTail = 4;
} // namespace

bool AcarsdReader::acceptsHeading(DecoderStream &)
{
    if (m_workFolder.isEmpty())
        return true;
    QFile bad(QDir(m_workFolder).filePath(badFileName()));
    if (bad.open(QIODevice::WriteOnly | QIODevice::Truncate))
        bad.close();
    return true;
}

ReadOutcome AcarsdReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    QByteArray direction, rest;
    switch (CountedHeader::read(s, m_source == Source::Log ? kLogGaps : kLiveGaps, kTests, r,
                                direction, rest)) {
    case CountedHeader::Kind::EndOfText:
        return ReadOutcome::EndOfText;
    case CountedHeader::Kind::Dropped:
        return ReadOutcome::Dropped;
    case CountedHeader::Kind::Uplink: {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, lastLine))
            return ReadOutcome::EndOfText;
        QString time = uplinkTime(lastLine);
        if (handOverUplinkText(r, direction.size()))
            time = dropClosingBracket(time);
        return takeTime(time, r) ? ReadOutcome::Record : ReadOutcome::Rejected;
    }
    case CountedHeader::Kind::Downlink:
        break;
    }
    const ReadOutcome outcome =
        m_source == Source::Log ? readLogText(s, rest, r) : readLiveText(rest, r);
    // A downlink's time is a date already, which the hand-over keeps whole.
    if (outcome == ReadOutcome::Record)
        handOverUplinkText(r, direction.size());
    return outcome;
}

QString AcarsdReader::uplinkTime(const QByteArray &lastLine)
{
    // The date in the brackets that end the line; a line without them gives
    // its last characters as they stand.
    const QByteArray line = lastLine.trimmed();
    const qsizetype open = line.lastIndexOf('[');
    if (line.endsWith(']') && open >= 0) {
        if (const auto time = CountedHeader::bracketedTime(line.sliced(open)))
            return time->toDisplay();
    }
    return displayTime(lastLine.right(18).first(std::min<qsizetype>(17, lastLine.size())));
}

ReadOutcome AcarsdReader::readLogText(DecoderStream &s, const QByteArray &rest, MessageRecord &r)
{
    QByteArray body, timeLine;
    if (rest.endsWith(kContent)) {
        const auto closes = [](const QByteArray &line) {
            return line.endsWith(']') || (line.size() >= 59 && line[58] == '[');
        };
        if (!CountedHeader::readTextLines(s, closes, body, timeLine))
            return ReadOutcome::EndOfText;
    } else {
        timeLine = rest;
    }
    if (body.startsWith("-\r\n"))
        body.clear();
    const auto time = CountedHeader::bracketedTime(timeLine);
    if (!time)
        return ReadOutcome::Dropped;
    r.mTime = *time;
    r.mText = text(body);
    return ReadOutcome::Record;
}

ReadOutcome AcarsdReader::readLiveText(const QByteArray &rest, MessageRecord &r)
{
    QByteArray body, timePart;
    if (!rest.startsWith(kContent)) {
        timePart = rest.right(kLiveTimePart);
    } else {
        // The caption and one separator go; the time part closes the line.
        const QByteArray remains = rest.mid(kContent.size() + 1);
        timePart = remains.right(kLiveTimePart);
        body = remains.left(remains.size() - timePart.size());
    }
    if (body.startsWith('-'))
        body.clear();
    const auto time = CountedHeader::bracketedTime(timePart, kLiveTimeTail);
    if (!time)
        return ReadOutcome::Dropped;
    r.mTime = *time;
    r.mText = text(body);
    return ReadOutcome::Record;
}

} // namespace corvane
