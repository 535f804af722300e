#include "CountedHeader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "store/MessageChecks.h"
#include "store/MessageTime.h"

namespace corvane
{

using namespace FieldRules;

CountedHeader::Kind CountedHeader::read(DecoderStream &s, const Gaps &gaps, const Tests &tests,
                                        MessageRecord &r, QByteArray &direction,
                                        QByteArray &restOfLine)
{
    QByteArray mode, reg, label, blk, no, flight;
    if (!s.findMarker(kAcarsMode) || !s.skip(2) || !s.read(1, mode))
        return Kind::EndOfText;
    if (tests.blankModeDrops && mode == " ")
        return Kind::Dropped;
    r.mMode = text(mode);

    if (!s.skip(gaps.beforeReg) || !s.read(14, reg))
        return Kind::EndOfText;
    if (tests.dottedRegDrops && reg.startsWith("......."))
        return Kind::Dropped;
    r.mReg = registration(reg);
    if (!MessageChecks::registration(r.mReg))
        return Kind::Dropped;

    if (!s.skip(gaps.beforeLabel) || !s.read(2, label))
        return Kind::EndOfText;
    int beforeBlock = gaps.beforeBlock;
    if (tests.shortLabel && label[1] == ' ') {
        label.chop(1);
        --beforeBlock;
    }
    r.mLabel = text(label);

    if (!s.skip(beforeBlock) || !s.read(1, blk))
        return Kind::EndOfText;
    r.mBlk = text(blk);
    if (!MessageChecks::blockId(r.mBlk))
        return Kind::Dropped;

    if (!s.read(gaps.direction, direction))
        return Kind::EndOfText;
    if (isUplinkChunk(direction))
        return Kind::Uplink;

    if (!s.read(4, no) || !s.skip(gaps.beforeFlight) || !s.read(6, flight))
        return Kind::EndOfText;
    r.mNo = text(no);
    r.mFlight = text(flight);
    if (!MessageChecks::flight(r.mFlight))
        return Kind::Dropped;

    if (!s.skip(gaps.afterFlight) || !s.readLine(restOfLine))
        return Kind::EndOfText;
    return Kind::Downlink;
}

bool CountedHeader::readTextLines(DecoderStream &stream,
                                  const std::function<bool(const QByteArray &)> &closes,
                                  QByteArray &text, QByteArray &closingLine)
{
    QByteArray line;
    for (;;) {
        if (!stream.readLine(line))
            return false;
        if (closes(line)) {
            closingLine = line;
            return true;
        }
        text += line;
        text += "\r\n";
    }
}

std::optional<MessageTime> CountedHeader::bracketedTime(QByteArrayView line, int tail)
{
    const qsizetype open = line.indexOf('[');
    if (open < 0)
        return std::nullopt;
    QByteArrayView inside = line.sliced(open + 1);
    inside.chop(std::min<qsizetype>(tail, inside.size()));
    return minuteTime(inside);
}

} // namespace corvane
