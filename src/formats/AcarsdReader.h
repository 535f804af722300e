#pragma once

#include "RecordReader.h"

namespace corvane
{

// The ACARSD decoder's text. Log files carry the message text on lines of
// their own and the reception time in brackets on the line that closes the
// record; live text holds a whole downlink on one line, the time in its
// last 80 characters. The header spacing differs a little between the two.
class AcarsdReader : public RecordReader
{
public:
    enum class Source { Log, Live };

    // workFolder: where the log import leaves its empty "bad.txt"; without
    // one none is written.
    explicit AcarsdReader(Source source, QString workFolder = {})
        : m_source(source), m_workFolder(std::move(workFolder))
    {
    }

    // The log import leaves an empty "bad.txt" in the work folder.
    bool acceptsHeading(DecoderStream &stream) override;
    ReadOutcome readRecord(DecoderStream &stream, MessageRecord &record) override;

    static QString badFileName() { return QStringLiteral("bad.txt"); }

private:
    ReadOutcome readLogText(DecoderStream &stream, const QByteArray &rest, MessageRecord &record);
    ReadOutcome readLiveText(const QByteArray &rest, MessageRecord &record);
    static QString uplinkTime(const QByteArray &lastLine);

    Source m_source;
    QString m_workFolder;
};

} // namespace corvane
