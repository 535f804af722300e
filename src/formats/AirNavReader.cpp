#include "AirNavReader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "store/MessageChecks.h"

namespace corvane
{

using namespace FieldRules;

namespace
{
constexpr QByteArrayView kContent = "Message content:-";
constexpr qsizetype kBodyDashes = 37;

// The flight field: every character valid, at least three characters as
// written, and one word once trimmed.
bool acceptFlight(const QString &field, QString &flight)
{
    if (field.size() < 3 || !MessageChecks::flight(field))
        return false;
    flight = field.trimmed();
    return !flight.isEmpty() && !flight.contains(u' ');
}
} // namespace

ReadOutcome AirNavReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    const auto end = ReadOutcome::EndOfText;
    const auto drop = ReadOutcome::Dropped;
    QByteArray chunk;

    if (!s.findMarker(kAcarsMode) || !s.skip(2) || !s.read(1, chunk))
        return end;
    r.mMode = text(chunk);

    if (!s.read(16, chunk))
        return end;
    if (!chunk.contains("Aircraft reg"))
        return drop;
    if (!s.read(14, chunk))
        return end;
    r.mReg = registration(chunk);
    if (!MessageChecks::registration(r.mReg))
        return drop;

    if (!s.read(10, chunk))
        return end;
    if (!chunk.contains("label"))
        return drop;

    // Two, one or no label characters stand before "Block id".
    if (!s.read(6, chunk))
        return end;
    if (chunk.sliced(4, 2) == "Bl") {
        r.mLabel = text(chunk.first(2));
        if (!s.skip(2))
            return end;
    } else if (chunk.sliced(3, 3) == "Blo") {
        r.mLabel = text(chunk.first(1));
        if (!s.skip(1))
            return end;
    }
    if (!s.read(6, chunk))
        return end;
    if (chunk != "k id: ")
        return drop;

    // One block id character or none before "Msg".
    if (!s.read(6, chunk))
        return end;
    if (chunk.sliced(3, 3) == "Msg") {
        r.mBlk = text(chunk.first(1));
        if (!MessageChecks::blockId(r.mBlk))
            return drop;
        if (!s.skip(1))
            return end;
    }

    if (!s.read(5, chunk))
        return end;
    if (!chunk.contains(" no"))
        return drop;
    if (!s.read(4, chunk))
        return end;
    r.mNo = text(chunk);

    if (!s.read(13, chunk))
        return end;
    if (!chunk.contains("Flight"))
        return drop;
    // The flight runs to the end of the line.
    QByteArray field;
    if (!s.read(1, field))
        return end;
    if (field != "\r") {
        if (!s.readThrough('\r', chunk))
            return end;
        field += chunk;
    }
    field.chop(1);
    if (!acceptFlight(text(field), r.mFlight))
        return drop;

    // The line feed, then the body or the hyphens that stand for none.
    if (!s.skip(1) || !s.read(17, chunk))
        return end;
    QByteArray body;
    if (chunk == kContent) {
        if (!s.skip(2) || !s.readUntil(QByteArray(kBodyDashes, '-'), body))
            return end;
    } else if (!s.skip(kBodyDashes - 17)) {
        return end;
    }
    r.mText = text(body);

    if (!s.skip(1) || !s.read(16, chunk))
        return end;
    const auto time = minuteTime(chunk);
    if (!time)
        return drop;
    r.mTime = *time;
    return ReadOutcome::Record;
}

} // namespace corvane
