#include "SkySweeperReader.h"

#include "DecoderStream.h"
#include "FieldRules.h"
#include "store/MessageChecks.h"

namespace corvane
{

using FieldRules::text;

namespace
{
constexpr qsizetype kValueColumn = 10; // column 11, 0-based
// What the hand-over of a text that begins " [Uplink]" takes off its front.
constexpr qsizetype kUplinkChunk = 11;

QByteArray value(const QByteArray &line)
{
    return line.mid(kValueColumn);
}

// The last seven characters of the "Reg Num" line without the dots the
// decoder pads short registrations with.
QByteArray registration(const QByteArray &line)
{
    QByteArray reg = line.right(7);
    while (reg.startsWith('.'))
        reg.remove(0, 1);
    return reg;
}
} // namespace

SkySweeperReader::SkySweeperReader(Band band, Source source) : m_band(band), m_source(source) {}

bool SkySweeperReader::nextLine(DecoderStream &stream, QByteArray &line)
{
    if (stream.readLine(line))
        return true;
    m_cut = true;
    return false;
}

ReadOutcome SkySweeperReader::readRecord(DecoderStream &s, MessageRecord &r)
{
    m_cut = false;
    QByteArray line;
    for (;;) {
        const qint64 at = s.position();
        if (!s.readLine(line))
            return ReadOutcome::EndOfText;
        if (line == kDownlinkHeader || line == kUplinkHeader ||
            (m_band == Band::Hf && line == kHfdlHeader)) {
            m_blockStart = at;
            break;
        }
    }
    if (line == kHfdlHeader)
        return readHfdl(s, r);
    const Kind kind = line == kUplinkHeader ? Kind::Uplink : Kind::Downlink;
    QByteArray date, time;
    if (!nextLine(s, line) || !nextLine(s, date) || !nextLine(s, time))
        return ReadOutcome::EndOfText;
    return readAcars(s, r, kind, value(date) + ' ' + value(time));
}

ReadOutcome SkySweeperReader::readAcars(DecoderStream &s, MessageRecord &r, Kind kind,
                                        const QByteArray &dateTime)
{
    QByteArray line;
    if (!nextLine(s, line))
        return ReadOutcome::EndOfText;
    if (!line.startsWith("Mode"))
        return ReadOutcome::Dropped;
    r.mMode = text(line.right(1));

    if (!nextLine(s, line))
        return ReadOutcome::EndOfText;
    if (!line.startsWith("Reg Num"))
        return ReadOutcome::Dropped;
    r.mReg = text(registration(line));

    if (!nextLine(s, line) || !nextLine(s, line))
        return ReadOutcome::EndOfText;
    if (!line.startsWith("Label"))
        return ReadOutcome::Dropped;
    r.mLabel = text(line.mid(kValueColumn, 2));
    if (r.mLabel == QLatin1String("_<"))
        r.mLabel.clear();

    if (kind == Kind::Uplink) {
        if (!nextLine(s, line) || !nextLine(s, line))
            return ReadOutcome::EndOfText;
        r.setUplink();
    } else {
        if (!nextLine(s, line))
            return ReadOutcome::EndOfText;
        if (!line.startsWith("BDI"))
            return ReadOutcome::Dropped;
        r.mBlk = text(line.right(1));
        if (!nextLine(s, line))
            return ReadOutcome::EndOfText;
        if (!line.startsWith("MSN"))
            return ReadOutcome::Dropped;
        r.mNo = text(line.mid(kValueColumn, 4));
        if (!nextLine(s, line))
            return ReadOutcome::EndOfText;
        r.mFlight = text(line.mid(kValueColumn, 6));
    }

    if (!MessageChecks::registration(r.mReg) || !MessageChecks::blockIdOrNone(r.mBlk) ||
        !MessageChecks::flight(r.mFlight))
        return ReadOutcome::Dropped;

    // The text part: a downlink has one line between the flight number and
    // its text, an uplink none.
    if (kind != Kind::Uplink && !nextLine(s, line))
        return ReadOutcome::EndOfText;
    QByteArray first, body;
    bool whole = nextLine(s, first);
    if (!whole) {
        // A log's end closes the text; a live stream waits for the rest.
        if (m_source == Source::Live)
            return ReadOutcome::EndOfText;
        m_cut = false;
        whole = true;
    } else if (first.contains("Message Originator")) {
        whole = kind == Kind::Downlink ? readOriginatorText(s, body) : true;
    } else {
        whole = readPlainText(s, first, body);
    }
    if (!whole)
        return ReadOutcome::EndOfText;
    r.mText = text(body);

    const auto time = FieldRules::minuteTime(dateTime);
    if (!time)
        return ReadOutcome::Dropped;
    r.mTime = *time;
    // The time is a date already, which the hand-over keeps whole.
    if (m_source == Source::Log)
        FieldRules::handOverUplinkText(r, kUplinkChunk);
    return ReadOutcome::Record;
}

bool SkySweeperReader::readPlainText(DecoderStream &s, QByteArray line, QByteArray &body)
{
    while (!line.isEmpty()) {
        body += line;
        if (!nextLine(s, line)) {
            if (m_source == Source::Live)
                return false;
            m_cut = false;
            return true;
        }
    }
    return true;
}

bool SkySweeperReader::readOriginatorText(DecoderStream &s, QByteArray &body)
{
    QByteArray line;
    for (;;) {
        if (!nextLine(s, line)) {
            if (m_source == Source::Live)
                return false;
            m_cut = false;
            return true;
        }
        if (line.isEmpty())
            return true;
        if (line.contains("Free Text"))
            break;
    }
    // The text starts at column 15 of the "Free Text" line and leaves out
    // its last character; a shorter line starts it empty.
    if (line.size() > 15)
        body = line.mid(14, line.size() - 15);
    if (!nextLine(s, line)) {
        if (m_source == Source::Live)
            return false;
        m_cut = false;
        return true;
    }
    return readPlainText(s, line, body);
}

ReadOutcome SkySweeperReader::readHfdl(DecoderStream &s, MessageRecord &r)
{
    QByteArray line, date, time;
    if (!nextLine(s, line) || !nextLine(s, line) || !nextLine(s, line) || !nextLine(s, date) ||
        !nextLine(s, time))
        return ReadOutcome::EndOfText;
    const QByteArray dateTime = value(date) + ' ' + value(time);
    for (;;) {
        if (!nextLine(s, line))
            return ReadOutcome::EndOfText;
        if (line == kDownlinkHeader) {
            // An ACARS message carried in the HFDL block: its mode line
            // follows three lines on, and it keeps the HFDL block's time.
            if (!nextLine(s, line) || !nextLine(s, line) || !nextLine(s, line))
                return ReadOutcome::EndOfText;
            return readAcars(s, r, Kind::Carried, dateTime);
        }
        if (line.mid(10, 9) == "Flight Id")
            break;
    }
    const QByteArray flightId = line.mid(28, 6);
    if (flightId.size() < 3)
        return ReadOutcome::Dropped;
    QByteArray latitude, longitude;
    if (!nextLine(s, line) || !nextLine(s, latitude))
        return ReadOutcome::EndOfText;
    if (latitude.mid(12, 8) != "Latitude")
        return ReadOutcome::Dropped;
    if (!nextLine(s, longitude))
        return ReadOutcome::EndOfText;
    if (longitude.mid(12, 9) != "Longitude")
        return ReadOutcome::Dropped;

    r.mMode = QStringLiteral(" ");
    r.mReg = text(flightId);
    r.mFlight = QStringLiteral("HFDL");
    r.mText = text(latitude.mid(30) + ' ' + longitude.mid(30)).trimmed().remove(u' ');
    // Tested at hand-over, with the seconds the block carries.
    return FieldRules::takeTime(text(dateTime), r) ? ReadOutcome::Record : ReadOutcome::Rejected;
}

} // namespace corvane
