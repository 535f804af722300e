#include "AirNavFamilyFixtures.h"

#include "formats/DecoderStream.h"
#include "formats/LiveFlags.h"
#include "formats/LiveTypes.h"
#include "formats/LogFormats.h"
#include "formats/LogImporter.h"
#include "formats/RecordReader.h"
#include "store/SqliteDb.h"

namespace corvane::test::family
{

namespace
{
QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}
QByteArray dashes(int n)
{
    return QByteArray(n, '-');
}
QByteArray bracketed(const QByteArray &time)
{
    return "[" + time + "]";
}
} // namespace

QByteArray lines(const QList<QByteArray> &textLines)
{
    QByteArray out;
    for (const QByteArray &l : textLines)
        out += l + "\r\n";
    return out;
}

QByteArray uplinkTail(const QByteArray &text, const QByteArray &time)
{
    return "\r\n" + text + "\r\n" + dashes(40) + bracketed(time) + "\r\n";
}

QByteArray airNav(const Header &h, const QByteArray &time, const QByteArray *body)
{
    QByteArray out = "ACARS mode: " + h.mode + "  Aircraft reg: " + h.reg.leftJustified(17) +
                     "label: " + h.label +
                     "  Block id: " + (h.block.isEmpty() ? QByteArray("  ") : h.block + "  ") +
                     "Msg. no: " + h.no + "   Flight id: " + h.flight + "\r\n";
    if (body)
        out += "Message content:-\r\n" + *body;
    return out + dashes(37) + " " + time + "\r\n";
}

QByteArray acarsdLogHeader(const Header &h, bool uplink)
{
    // The one-character label is followed by a single blank: the block id
    // then stands one character earlier.
    QByteArray out = "ACARS mode: " + h.mode + " Aircraft reg: " + h.reg.leftJustified(14) +
                     "   Label: " + h.label + " Block id: " + h.block;
    if (uplink)
        return out + " [Uplink] ";
    return out + " Msg. no: " + h.no + "  Flight id: " + h.flight + " ";
}

QByteArray acarsdLog(const Header &h, const QByteArray &time, const QByteArray *body)
{
    if (!body)
        return acarsdLogHeader(h) + "Time: " + bracketed(time) + "\r\n";
    return acarsdLogHeader(h) + "Message content:-\r\n" + *body + dashes(58) + bracketed(time) +
           "\r\n";
}

QByteArray acarsdLiveHeader(const Header &h, bool uplink)
{
    QByteArray out = "ACARS mode: " + h.mode + " Aircraft reg: " + h.reg.leftJustified(14) +
                     "  Label: " + h.label + " Block id: " + h.block;
    if (uplink)
        return out + " [Uplink]  ";
    return out + "  Msg. no: " + h.no + " Flight id: " + h.flight + " ";
}

QByteArray acarsdLive(const Header &h, const QByteArray &time, const QByteArray *body)
{
    // The time part: 80 characters that end with the bracketed time and
    // three more characters.
    const QByteArray tail = bracketed(time) + " --";
    const QByteArray timePart = blanks(80 - int(tail.size())) + tail;
    if (!body)
        return acarsdLiveHeader(h) + timePart + "\r\n";
    return acarsdLiveHeader(h) + "Message content:- " + *body + timePart + "\r\n";
}

QByteArray airMasterHeader(const Header &h, bool uplink)
{
    QByteArray out = "ACARS mode: " + h.mode + "  Aircraft reg: " + h.reg.leftJustified(14) +
                     "   Label: " + h.label.leftJustified(2) + "  Block id: " + h.block;
    if (uplink)
        return out + " [Uplink]  ";
    return out + "  Msg. no: " + h.no + "  Flight id: " + h.flight + "  ";
}

QByteArray airMaster(const Header &h, const QByteArray &time, const QByteArray *body)
{
    if (!body)
        return airMasterHeader(h) + "No content " + bracketed(time) + "\r\n";
    return airMasterHeader(h) + "Message content:-\r\n" + *body + dashes(58) + bracketed(time) +
           "\r\n";
}

QByteArray ard2Header(const Header &h, bool log, bool uplink)
{
    QByteArray out = "ACARS mode: " + h.mode + "  Aircraft reg: " + h.reg.leftJustified(14) +
                     (log ? "   Label: " : "  Label: ") + h.label.leftJustified(2) +
                     (log ? "   Block id: " : "  Block id: ") + h.block;
    if (uplink)
        return out + " [Uplink]  ";
    return out + "  Msg. no: " + h.no + (log ? "   Flight id: " : " Flight id: ") + h.flight +
           (log ? "   " : " ");
}

QByteArray ard2(const Header &h, bool log, const QByteArray *body)
{
    if (!body)
        return ard2Header(h, log) + "No content\r\n";
    return ard2Header(h, log) + "Message content:-\r\n" + (log ? "Text:\r\n" : "") + *body +
           dashes(20) + "\r\n";
}

QByteArray brellwickHeader(const Header &h, bool uplink)
{
    QByteArray out = "ACARS mode: " + h.mode + "  Aircraft reg: " + h.reg.leftJustified(14) +
                     "   Label: " + h.label.leftJustified(2) + " Block id: " + h.block;
    if (uplink)
        return out + " [Uplink]  ";
    return out + "  Msg. no: " + h.no + "  Flight id: " + h.flight + "  ";
}

QByteArray brellwick(const Header &h, const QByteArray &time, const QByteArray *body)
{
    const QByteArray timeLine = bracketed(time) + "\r\n";
    if (!body)
        return timeLine + brellwickHeader(h) + " No content\r\n";
    return timeLine + brellwickHeader(h) + " Message content:-\r\n" + *body + dashes(20) + "\r\n";
}

ReadResult readAll(RecordReader &reader, const QByteArray &text)
{
    DecoderStream stream;
    stream.openText(text);
    ReadResult result;
    for (;;) {
        MessageRecord r;
        const ReadOutcome outcome = reader.readRecord(stream, r);
        if (outcome == ReadOutcome::EndOfText)
            return result;
        if (outcome == ReadOutcome::Dropped || outcome == ReadOutcome::Rejected)
            ++result.dropped;
        else
            result.records << r;
    }
}

TempStore::TempStore(TestEnvironment &env) : m_folder(env.newDataDir())
{
    m_store.open(m_folder);
    m_recorder = std::make_unique<MessageRecorder>(m_store);
}

ImportResult TempStore::import(const QString &decoder, const QString &path)
{
    LogImporter importer(m_store, *m_recorder);
    const std::vector<ImportResult> results =
        importer.importFiles(*LogFormats::find(decoder), {path}, nullptr);
    return results.front();
}

LivePassResult TempStore::live(const QString &ddeType, const QByteArray &value,
                               ImportObserver *observer)
{
    LiveFlags flags;
    flags.restart = false;
    LivePassFrame frame(m_store, *m_recorder);
    return frame.run(*LiveTypes::find(ddeType), QString::fromLatin1(value), flags, &m_newPairs,
                     observer);
}

QList<MessageRecord> TempStore::messages()
{
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT mMode, mReg, mLabel, mBlk, mNo, mFlight, mText, mTime, mFileName "
                       "FROM tMessage ORDER BY rowid");
    QList<MessageRecord> out;
    while (st.step()) {
        MessageRecord r;
        r.mMode = st.text(0);
        r.mReg = st.text(1);
        r.mLabel = st.text(2);
        r.mBlk = st.text(3);
        r.mNo = st.text(4);
        r.mFlight = st.text(5);
        r.mText = st.text(6);
        r.mTime = MessageTime::fromStorage(st.text(7)).value_or(MessageTime());
        r.mFileName = st.text(8);
        out << r;
    }
    return out;
}

qint64 TempStore::timesHeard(const QString &reg, const QString &flight)
{
    SqliteStatement st(m_store.acarsLog(),
                       "SELECT TimesHeard FROM ACARSLOG WHERE Registration = ? AND Flight = ?");
    st.bind(1, reg);
    st.bind(2, flight);
    return st.step() ? st.int64(0) : 0;
}

} // namespace corvane::test::family
