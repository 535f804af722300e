#pragma once

#include "RecordReader.h"

#include <QByteArray>

namespace corvane
{

// The fixed-width block of the SkySpy decoder, also written by ZCARS: a
// record starts at "ACARS mode", fields are taken by counting characters,
// the body ends at a run of hyphens followed by the bracketed time.
class BlockReader : public RecordReader
{
public:
    struct Layout {
        int bodyDashes;      // hyphens that end the body: 59 (SkySpy), 37 (ZCARS)
        int noBodySkip;      // characters after the content test when there is no body
        bool headingSkySpy;  // the log must begin with "SkySpy"
        bool recorderChecks; // the recorder checks the fields
    };

    static Layout skySpy() { return {59, 42, true, true}; }
    static Layout zcars() { return {37, 20, false, true}; }

    explicit BlockReader(Layout layout);

    bool acceptsHeading(DecoderStream &stream) override;
    QString refusalMessage() const override;
    bool recorderChecks() const override { return m_layout.recorderChecks; }
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

private:
    ReadOutcome readDownlinkTail(DecoderStream &stream, MessageRecord &record);

    Layout m_layout;
    QByteArray m_bodyEnd;
};

} // namespace corvane
