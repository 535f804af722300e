#include "PosFixReader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "PcHfdlReader.h"
#include "store/MessageChecks.h"

namespace corvane
{

using namespace FieldRules;

QString PosFixReader::rebuildTime(QByteArrayView t)
{
    auto part = [t](qsizetype from, qsizetype n) {
        return from < t.size() ? text(t.sliced(from, std::min(n, t.size() - from))) : QString();
    };
    return part(0, 2) + u'/' + part(3, 2) + u'/' + part(6, 4) + u' ' + part(11, 2) + u':' +
           part(14, 2);
}

ReadOutcome PosFixReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    QByteArray mode, reg, label, blk, chunk;
    if (!s.findMarker(kAcarsMode) || !s.skip(2) || !s.read(1, mode) || !s.skip(16) ||
        !s.read(14, reg) || !s.skip(10) || !s.read(2, label) || !s.skip(12) || !s.read(1, blk))
        return ReadOutcome::EndOfText;
    r.mMode = text(mode);
    r.mReg = registration(reg);
    r.mLabel = text(label);
    r.mBlk = text(blk);
    if (!MessageChecks::blockId(r.mBlk))
        return ReadOutcome::Dropped;
    // The block id is read again from what follows; without "Msg" or "[Up"
    // there it is cleared.
    if (!s.read(6, chunk))
        return ReadOutcome::EndOfText;
    if (chunk.endsWith("Msg") || chunk.endsWith("[Up")) {
        r.mBlk = text(chunk.left(1));
        if (!s.skip(1))
            return ReadOutcome::EndOfText;
    } else {
        r.mBlk.clear();
    }
    if (!s.read(5, chunk))
        return ReadOutcome::EndOfText;

    QByteArray timeText;
    if (chunk.endsWith("Mess")) {
        // No message number, no flight number and no time: nothing to store.
        return ReadOutcome::Dropped;
    } else if (chunk.contains(" no")) {
        QByteArray no, flight, line;
        if (!s.read(4, no) || !s.skip(13) || !s.read(6, flight) || !s.skip(2) || !s.readLine(line))
            return ReadOutcome::EndOfText;
        QByteArray body;
        if (line.startsWith("Message content:-")) {
            for (;;) {
                if (!s.readLine(line))
                    return ReadOutcome::EndOfText;
                if (line.startsWith("--------------------"))
                    break;
                body += line + "\r\n";
            }
        }
        // The closing line of hyphens ends with the bracketed time.
        timeText = line.right(17).left(16);
        r.mNo = text(no);
        r.mFlight = text(flight);
        r.mText = text(body);
    } else if (chunk.contains("ink")) {
        PcHfdlReader::readUplinkRest(s, r, timeText);
    } else {
        return ReadOutcome::Dropped;
    }
    if (!MessageChecks::registration(r.mReg) || !MessageChecks::blockIdOrNone(r.mBlk) ||
        !MessageChecks::flight(r.mFlight))
        return ReadOutcome::Dropped;
    // A downlink's time is tested while reading; an uplink's at hand-over.
    if (takeTime(rebuildTime(timeText), r))
        return ReadOutcome::Record;
    return r.isUplink() ? ReadOutcome::Rejected : ReadOutcome::Dropped;
}

} // namespace corvane
