#pragma once

#include "RecordReader.h"

#include <QByteArray>

namespace corvane
{

// The fixed-width block of the SkySpy decoder, also written by ZCARS: a
// record starts at "ACARS mode", fields are taken by counting characters,
// the body ends at a run of hyphens followed by the bracketed time. The
// fields are tested once the whole record is read.
class BlockReader : public RecordReader
{
public:
    struct Layout {
        int bodyDashes;     // hyphens that end the body: 59 (SkySpy), 37 (ZCARS)
        int noBodySkip;     // characters after the content test when there is no body
        bool headingSkySpy; // the log must begin with "SkySpy"
    };

    static Layout skySpy() { return {59, 42, true}; }
    static Layout zcars() { return {37, 20, false}; }

    explicit BlockReader(Layout layout);

    bool acceptsHeading(DecoderStream &stream) override;
    QString refusalMessage() const override;
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

private:
    bool readDownlinkTail(DecoderStream &stream, MessageRecord &record, QString &time);

    Layout m_layout;
    QByteArray m_bodyEnd;
    // The fields as read, kept between records so reading allocates little.
    QByteArray m_mode, m_reg, m_label, m_blk, m_direction;
    QByteArray m_no, m_flight, m_content, m_body, m_time;
};

} // namespace corvane
