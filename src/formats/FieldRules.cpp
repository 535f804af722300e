#include "FieldRules.h"

#include "DecoderStream.h"
#include "store/MessageRecord.h"
#include "store/MessageTime.h"
#include "store/TextCodec.h"

namespace corvane::FieldRules
{

QString text(QByteArrayView bytes)
{
    return TextCodec::decode(bytes.data(), bytes.size());
}

QString registration(QByteArrayView field)
{
    QByteArrayView slice = field.first(std::min<qsizetype>(7, field.size()));
    if (!slice.isEmpty() && slice[0] == '.')
        slice = slice.sliced(1);
    while (!slice.isEmpty() && slice[0] == '.')
        slice = slice.sliced(1);
    if (slice == QByteArrayView("       "))
        return QStringLiteral("       ");
    return text(slice).trimmed();
}

bool isTime(QByteArrayView timeText)
{
    return MessageTime::parse(text(timeText)).has_value();
}

QString displayTime(QByteArrayView timeText)
{
    const QString t = text(timeText);
    const auto parsed = MessageTime::parse(t);
    return parsed ? parsed->toDisplay() : t;
}

QString dropClosingBracket(const QString &timeText)
{
    if (MessageTime::parse(timeText))
        return timeText;
    QString t = timeText;
    if (t.endsWith(u']'))
        t.chop(1);
    return t;
}

bool isUplinkChunk(QByteArrayView chunk)
{
    return chunk.size() >= 9 && chunk.sliced(1, 8) == kUplinkMarker;
}

bool readUplinkTail(DecoderStream &stream, const QByteArray &directionChunk, QByteArrayView endWord,
                    MessageRecord &record, QByteArray *lastLineOut)
{
    QByteArray body = directionChunk;
    QByteArray line, lastLine;
    while (!body.endsWith(endWord)) {
        if (!stream.readLine(line))
            return false;
        lastLine = line;
        if (line.startsWith(kDashes40))
            break;
        body += line;
    }
    record.mText = text(body);
    record.mFlight = QStringLiteral("Uplink");
    record.mLabel.clear();
    record.mNo.clear();
    record.mTime = text(lastLine.right(18));
    if (lastLineOut)
        *lastLineOut = lastLine;
    return true;
}

} // namespace corvane::FieldRules
