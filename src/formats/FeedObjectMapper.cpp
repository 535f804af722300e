#include "FeedObjectMapper.h"

#include "store/MessageChecks.h"

#include <QDateTime>
#include <QJsonValue>
#include <cmath>

namespace corvane
{

namespace
{

// Absent fields, and fields of another type, read as empty text.
QString text(const QJsonObject &o, QLatin1StringView key)
{
    return o.value(key).toString();
}

QJsonObject object(const QJsonObject &o, QLatin1StringView key)
{
    return o.value(key).toObject();
}

std::optional<double> number(const QJsonObject &o, QLatin1StringView key)
{
    const QJsonValue v = o.value(key);
    if (!v.isDouble())
        return std::nullopt;
    return v.toDouble();
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

bool isGroundStation(const QJsonObject &source)
{
    return text(source, QLatin1StringView("type")) == QLatin1StringView("Ground station");
}

// Years the store can keep in its four-digit form.
constexpr qint64 kLastSecond = 253402300799; // 9999-12-31 23:59:59 UTC

} // namespace

FeedObjectOutcome FeedObjectMapper::map(FeedDecoder decoder, const QJsonObject &o, MessageRecord &r)
{
    FeedObjectOutcome outcome = FeedObjectOutcome::PassedOver;
    switch (decoder) {
    case FeedDecoder::Acarsdec:
    case FeedDecoder::Vdlm2dec:
        outcome = mapFlat(o, r);
        break;
    case FeedDecoder::Dumpvdl2:
        outcome = mapVdl2(o, r);
        break;
    case FeedDecoder::Dumphfdl:
        outcome = mapHfdl(o, r);
        break;
    }
    if (outcome == FeedObjectOutcome::Message || outcome == FeedObjectOutcome::FailedCheck)
        r.mFeed.decoder = FeedDecoders::name(decoder);
    return outcome;
}

bool FeedObjectMapper::takeUnixTime(const QJsonValue &seconds, MessageRecord &r)
{
    if (!seconds.isDouble())
        return false;
    const double s = std::floor(seconds.toDouble());
    if (!(s >= 0 && s <= double(kLastSecond)))
        return false;
    r.mTime = MessageTime::fromDateTime(QDateTime::fromSecsSinceEpoch(qint64(s)));
    return r.mTime.isValid();
}

FeedObjectOutcome FeedObjectMapper::checked(MessageRecord &r)
{
    return MessageChecks::record(r) && r.mTime.isValid() ? FeedObjectOutcome::Message
                                                         : FeedObjectOutcome::FailedCheck;
}

FeedObjectOutcome FeedObjectMapper::mapFlat(const QJsonObject &o, MessageRecord &r)
{
    using L = QLatin1StringView;
    if (o.contains(L("vdl2")) || o.contains(L("hfdl")))
        return FeedObjectOutcome::Rejected;
    // Route records, position-only records and the like carry no label.
    if (!o.contains(L("label")))
        return FeedObjectOutcome::PassedOver;
    // The block that completes a multi-block message carries the whole text.
    const QString assembly = text(o, L("assstat"));
    if (assembly == L("in progress") || assembly == L("duplicate"))
        return FeedObjectOutcome::PassedOver;

    r.mMode = text(o, L("mode"));
    r.mReg = registration(text(o, L("tail")));
    r.mLabel = text(o, L("label"));
    r.mBlk = text(o, L("block_id"));
    r.mNo = text(o, L("msgno"));
    r.mFlight = text(o, L("flight")).trimmed();
    r.mText = text(o, L("text"));
    // Downlink block ids are digits; the ground uses letters (or none).
    const bool digitBlock = r.mBlk.size() == 1 && r.mBlk[0].isDigit();
    if (o.contains(L("fromaddr")) || !digitBlock)
        r.setUplink();
    r.mFeed.station = text(o, L("station_id"));
    r.mFeed.frequencyMhz = number(o, L("freq"));
    r.mFeed.signalLevel = number(o, L("level"));
    takeUnixTime(o.value(L("timestamp")), r);
    return checked(r);
}

FeedObjectOutcome FeedObjectMapper::mapAcars(const QJsonObject &acars, bool uplink,
                                             MessageRecord &r)
{
    using L = QLatin1StringView;
    if (acars.value(L("err")).toBool())
        return FeedObjectOutcome::Rejected;
    // The final block carries the joined text.
    if (acars.value(L("more")).toBool())
        return FeedObjectOutcome::PassedOver;
    r.mMode = text(acars, L("mode"));
    r.mReg = registration(text(acars, L("reg")));
    r.mLabel = text(acars, L("label"));
    r.mBlk = text(acars, L("blk_id"));
    r.mNo = text(acars, L("msg_num")) + text(acars, L("msg_num_seq"));
    r.mFlight = text(acars, L("flight")).trimmed();
    r.mText = text(acars, L("msg_text"));
    if (uplink)
        r.setUplink();
    return checked(r);
}

FeedObjectOutcome FeedObjectMapper::mapVdl2(const QJsonObject &o, MessageRecord &r)
{
    using L = QLatin1StringView;
    if (!o.contains(L("vdl2")))
        return FeedObjectOutcome::Rejected;
    const QJsonObject vdl2 = object(o, L("vdl2"));
    const QJsonObject avlc = object(vdl2, L("avlc"));
    if (!avlc.value(L("acars")).isObject())
        return FeedObjectOutcome::PassedOver; // XID, X.25 and the rest
    r.mFeed.station = text(vdl2, L("station"));
    r.mFeed.frequencyMhz = hertzToMegahertz(number(vdl2, L("freq")));
    r.mFeed.signalLevel = number(vdl2, L("sig_level"));
    takeUnixTime(object(vdl2, L("t")).value(L("sec")), r);
    return mapAcars(object(avlc, L("acars")), isGroundStation(object(avlc, L("src"))), r);
}

FeedObjectOutcome FeedObjectMapper::mapHfdl(const QJsonObject &o, MessageRecord &r)
{
    using L = QLatin1StringView;
    if (!o.contains(L("hfdl")))
        return FeedObjectOutcome::Rejected;
    const QJsonObject hfdl = object(o, L("hfdl"));
    const QJsonObject lpdu = object(hfdl, L("lpdu"));
    const QJsonObject hfnpdu = object(lpdu, L("hfnpdu"));
    r.mFeed.station = text(hfdl, L("station"));
    r.mFeed.frequencyMhz = hertzToMegahertz(number(hfdl, L("freq")));
    r.mFeed.signalLevel = number(hfdl, L("sig_level"));
    takeUnixTime(object(hfdl, L("t")).value(L("sec")), r);
    if (hfnpdu.value(L("acars")).isObject())
        return mapAcars(object(hfnpdu, L("acars")), isGroundStation(object(lpdu, L("src"))), r);
    return mapHfdlPosition(hfnpdu, r);
}

FeedObjectOutcome FeedObjectMapper::mapHfdlPosition(const QJsonObject &hfnpdu, MessageRecord &r)
{
    using L = QLatin1StringView;
    const QString flightId = text(hfnpdu, L("flight_id")).trimmed();
    const QJsonObject pos = object(hfnpdu, L("pos"));
    const std::optional<double> lat = number(pos, L("lat"));
    const std::optional<double> lon = number(pos, L("lon"));
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
