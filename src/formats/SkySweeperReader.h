#pragma once

#include "RecordReader.h"

#include <QByteArray>

namespace corvane
{

// The SkySweeper decoder's message blocks: one labelled field per line, the
// value from column 11. The VHF log holds ACARS downlink and uplink blocks;
// the HF log adds HFDL downlink blocks, which carry either a flight id with
// a position or a whole ACARS message.
//
// The reader tests the fields itself (registration, block id and flight
// characters, a time that reads as a date).
class SkySweeperReader : public RecordReader
{
public:
    enum class Band { Vhf, Hf };
    // A log is read to its end: the end of the file closes the text of the
    // last message. A live stream may end in the middle of a block that the
    // decoder is still writing: the block is left for the next poll.
    enum class Source { Log, Live };

    SkySweeperReader(Band band, Source source);

    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

    // After EndOfText: whether a block had begun and was cut by the end of
    // the text, and where (stream position) its header line began.
    bool cutShort() const { return m_cut; }
    qint64 blockStart() const { return m_blockStart; }

    static constexpr QByteArrayView kDownlinkHeader = "DOWNLINK ACARS MESSAGE";
    static constexpr QByteArrayView kUplinkHeader = "UPLINK ACARS MESSAGE";
    static constexpr QByteArrayView kHfdlHeader = "DOWNLINK HFDL MESSAGE";

private:
    enum class Kind { Downlink, Uplink, Carried };

    bool nextLine(DecoderStream &stream, QByteArray &line);
    ReadOutcome readAcars(DecoderStream &stream, MessageRecord &record, Kind kind,
                          const QByteArray &dateTime);
    ReadOutcome readHfdl(DecoderStream &stream, MessageRecord &record);
    // The text lines up to the next empty line; false when the stream cut them.
    bool readPlainText(DecoderStream &stream, QByteArray first, QByteArray &text);
    bool readOriginatorText(DecoderStream &stream, QByteArray &text);

    Band m_band;
    Source m_source;
    bool m_cut = false;
    qint64 m_blockStart = 0;
};

} // namespace corvane
