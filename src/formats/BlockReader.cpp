#include "BlockReader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "store/MessageChecks.h"

namespace corvane
{

using namespace FieldRules;

BlockReader::BlockReader(Layout layout) : m_layout(layout), m_bodyEnd(layout.bodyDashes, '-') {}

bool BlockReader::acceptsHeading(DecoderStream &stream)
{
    if (!m_layout.headingSkySpy)
        return true;
    QByteArray head;
    return stream.read(6, head) && head == "SkySpy";
}

QString BlockReader::refusalMessage() const
{
    return QStringLiteral("This is not a SkySpy log file.");
}

ReadOutcome BlockReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    QByteArray &mode = m_mode, &reg = m_reg, &label = m_label, &blk = m_blk,
               &direction = m_direction;
    if (!s.findMarker(kAcarsMode) || !s.skip(2) || !s.read(1, mode) || !s.skip(16) ||
        !s.read(14, reg) || !s.skip(10) || !s.read(2, label) || !s.skip(12) || !s.read(1, blk) ||
        !s.read(11, direction))
        return ReadOutcome::EndOfText;
    r.mMode = text(mode);
    r.mReg = registration(reg);
    r.mLabel = text(label);
    r.mBlk = text(blk);
    QString time;
    if (isUplinkChunk(direction)) {
        QByteArray lastLine;
        if (!readUplinkTail(s, direction, "arse", r, lastLine))
            return ReadOutcome::EndOfText;
        time = displayTime(lastLine.right(18));
    } else if (!readDownlinkTail(s, r, time)) {
        return ReadOutcome::EndOfText;
    }
    if (!MessageChecks::record(r) || !takeTime(time, r))
        return ReadOutcome::Rejected;
    return ReadOutcome::Record;
}

bool BlockReader::readDownlinkTail(DecoderStream &s, MessageRecord &r, QString &timeText)
{
    QByteArray &no = m_no, &flight = m_flight, &content = m_content, &body = m_body, &time = m_time;
    if (!s.read(4, no) || !s.skip(13) || !s.read(6, flight) || !s.skip(2) || !s.read(17, content))
        return false;
    body.resize(0);
    if (content == "Message content:-") {
        if (!s.skip(2) || !s.readUntil(m_bodyEnd, body))
            return false;
    } else if (!s.skip(m_layout.noBodySkip)) {
        return false;
    }
    if (!s.skip(1) || !s.read(16, time))
        return false;
    r.mNo = text(no);
    r.mFlight = text(flight);
    r.mText = text(body);
    timeText = displayTime(time);
    return true;
}

} // namespace corvane
