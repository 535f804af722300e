#include "FeedObjectMapper.h"

#include "JsonTree.h"
#include "LocalClock.h"
#include "store/MessageChecks.h"

#include <cmath>

namespace corvane
{

namespace
{

// Absent fields, and fields of another type, read as empty text.
QString text(const JsonTree &t, int node, QByteArrayView key)
{
    return t.string(t.member(node, key));
}

std::optional<double> number(const JsonTree &t, int node, QByteArrayView key)
{
    return t.number(t.member(node, key));
}

std::optional<double> hertzToMegahertz(const std::optional<double> &hz)
{
    if (!hz)
        return std::nullopt;
    return *hz / 1e6;
}

// Leading dots and surrounding blanks are the decoders' padding.
QString registration(const QString &tail)
{
    QStringView reg = QStringView(tail).trimmed();
    while (reg.startsWith(u'.'))
        reg = reg.sliced(1);
    return reg.trimmed().toString();
}

bool isGroundStation(const JsonTree &t, int source)
{
    return text(t, source, "type") == QLatin1StringView("Ground station");
}

// A decoder without a clock, or a field it left at zero, gives a time
// decades before any of these decoders ran; stored, it would become the
// aircraft's first hearing. Such a message has a bad time.
constexpr double kFirstSecond = 631152000; // 1990-01-01 00:00:00 UTC
// Years the store can keep in its four-digit form.
constexpr double kLastSecond = 253402300799; // 9999-12-31 23:59:59 UTC

} // namespace

FeedObjectOutcome FeedObjectMapper::map(FeedDecoder decoder, const JsonTree &t, LocalClock &clock,
                                        MessageRecord &r)
{
    FeedObjectOutcome outcome = FeedObjectOutcome::Rejected;
    if (t.isObject(t.root())) {
        switch (decoder) {
        case FeedDecoder::Acarsdec:
        case FeedDecoder::Vdlm2dec:
            outcome = mapFlat(t, clock, r);
            break;
        case FeedDecoder::Dumpvdl2:
            outcome = mapVdl2(t, clock, r);
            break;
        case FeedDecoder::Dumphfdl:
            outcome = mapHfdl(t, clock, r);
            break;
        }
    }
    if (outcome == FeedObjectOutcome::Message || outcome == FeedObjectOutcome::FailedCheck)
        r.mFeed.decoder = FeedDecoders::name(decoder);
    return outcome;
}

bool FeedObjectMapper::takeUnixTime(const std::optional<double> &seconds, LocalClock &clock,
                                    MessageRecord &r)
{
    if (!seconds)
        return false;
    const double s = std::floor(*seconds);
    if (!(s >= kFirstSecond && s <= kLastSecond))
        return false;
    r.mTime = clock.localTime(qint64(s));
    return r.mTime.isValid();
}

FeedObjectOutcome FeedObjectMapper::checked(MessageRecord &r)
{
    return MessageChecks::record(r) && r.mTime.isValid() ? FeedObjectOutcome::Message
                                                         : FeedObjectOutcome::FailedCheck;
}

FeedObjectOutcome FeedObjectMapper::mapFlat(const JsonTree &t, LocalClock &clock, MessageRecord &r)
{
    const int o = t.root();
    if (t.member(o, "vdl2") != JsonTree::kNone || t.member(o, "hfdl") != JsonTree::kNone)
        return FeedObjectOutcome::Rejected;
    // Route records, position-only records and the like carry no label.
    if (t.member(o, "label") == JsonTree::kNone)
        return FeedObjectOutcome::PassedOver;
    // The block that completes a multi-block message carries the whole text.
    const QString assembly = text(t, o, "assstat");
    if (assembly == QLatin1StringView("in progress") || assembly == QLatin1StringView("duplicate"))
        return FeedObjectOutcome::PassedOver;

    r.mMode = text(t, o, "mode");
    r.mReg = registration(text(t, o, "tail"));
    r.mLabel = text(t, o, "label");
    r.mBlk = text(t, o, "block_id");
    r.mNo = text(t, o, "msgno");
    r.mFlight = text(t, o, "flight").trimmed();
    r.mText = text(t, o, "text");
    // Downlink block ids are digits; the ground uses letters (or none).
    const bool digitBlock = r.mBlk.size() == 1 && r.mBlk[0].isDigit();
    if (t.member(o, "fromaddr") != JsonTree::kNone || !digitBlock)
        r.setUplink();
    r.mFeed.station = text(t, o, "station_id");
    r.mFeed.frequencyMhz = number(t, o, "freq");
    r.mFeed.signalLevel = number(t, o, "level");
    takeUnixTime(number(t, o, "timestamp"), clock, r);
    return checked(r);
}

FeedObjectOutcome FeedObjectMapper::mapAcars(const JsonTree &t, int acars, bool uplink,
                                             MessageRecord &r)
{
    if (t.isTrue(t.member(acars, "err")))
        return FeedObjectOutcome::Rejected;
    // The final block carries the joined text.
    if (t.isTrue(t.member(acars, "more")))
        return FeedObjectOutcome::PassedOver;
    r.mMode = text(t, acars, "mode");
    r.mReg = registration(text(t, acars, "reg"));
    r.mLabel = text(t, acars, "label");
    r.mBlk = text(t, acars, "blk_id");
    r.mNo = text(t, acars, "msg_num") + text(t, acars, "msg_num_seq");
    r.mFlight = text(t, acars, "flight").trimmed();
    r.mText = text(t, acars, "msg_text");
    if (uplink)
        r.setUplink();
    return checked(r);
}

FeedObjectOutcome FeedObjectMapper::mapVdl2(const JsonTree &t, LocalClock &clock, MessageRecord &r)
{
    const int vdl2 = t.member(t.root(), "vdl2");
    if (vdl2 == JsonTree::kNone)
        return FeedObjectOutcome::Rejected;
    const int avlc = t.member(vdl2, "avlc");
    const int acars = t.member(avlc, "acars");
    if (!t.isObject(acars))
        return FeedObjectOutcome::PassedOver; // XID, X.25 and the rest
    r.mFeed.station = text(t, vdl2, "station");
    r.mFeed.frequencyMhz = hertzToMegahertz(number(t, vdl2, "freq"));
    r.mFeed.signalLevel = number(t, vdl2, "sig_level");
    takeUnixTime(t.number(t.path(vdl2, {"t", "sec"})), clock, r);
    return mapAcars(t, acars, isGroundStation(t, t.member(avlc, "src")), r);
}

FeedObjectOutcome FeedObjectMapper::mapHfdl(const JsonTree &t, LocalClock &clock, MessageRecord &r)
{
    const int hfdl = t.member(t.root(), "hfdl");
    if (hfdl == JsonTree::kNone)
        return FeedObjectOutcome::Rejected;
    const int lpdu = t.member(hfdl, "lpdu");
    const int hfnpdu = t.member(lpdu, "hfnpdu");
    r.mFeed.station = text(t, hfdl, "station");
    r.mFeed.frequencyMhz = hertzToMegahertz(number(t, hfdl, "freq"));
    r.mFeed.signalLevel = number(t, hfdl, "sig_level");
    takeUnixTime(t.number(t.path(hfdl, {"t", "sec"})), clock, r);
    const int acars = t.member(hfnpdu, "acars");
    if (t.isObject(acars))
        return mapAcars(t, acars, isGroundStation(t, t.member(lpdu, "src")), r);
    return mapHfdlPosition(t, hfnpdu, r);
}

FeedObjectOutcome FeedObjectMapper::mapHfdlPosition(const JsonTree &t, int hfnpdu, MessageRecord &r)
{
    const QString flightId = text(t, hfnpdu, "flight_id").trimmed();
    const int pos = t.member(hfnpdu, "pos");
    const std::optional<double> lat = number(t, pos, "lat");
    const std::optional<double> lon = number(t, pos, "lon");
    // The decoder writes 180,180 for a position it does not know.
    if (flightId.isEmpty() || !lat || !lon || std::abs(*lat) > 90 || std::abs(*lon) > 180)
        return FeedObjectOutcome::PassedOver;
    // Stored as the HF log reader stores its position blocks, without the
    // field checks.
    r.mFlight = QStringLiteral("HFDL");
    r.mReg = flightId;
    r.mMode = QStringLiteral(" ");
    r.mText = QString::number(*lat, 'f', 4) + u',' + QString::number(*lon, 'f', 4);
    return r.mTime.isValid() ? FeedObjectOutcome::Message : FeedObjectOutcome::FailedCheck;
}

} // namespace corvane
