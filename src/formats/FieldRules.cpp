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
    while (!slice.isEmpty() && slice.front() == ' ')
        slice = slice.sliced(1);
    while (!slice.isEmpty() && slice.back() == ' ')
        slice.chop(1);
    return text(slice);
}

std::optional<MessageTime> minuteTime(QByteArrayView timeText)
{
    const auto parsed = MessageTime::parse(text(timeText));
    if (!parsed)
        return std::nullopt;
    return parsed->withoutSeconds();
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

bool takeTime(const QString &timeText, MessageRecord &record)
{
    const auto parsed = MessageTime::parse(timeText);
    if (!parsed)
        return false;
    record.mTime = *parsed;
    return true;
}

bool handOverUplinkText(MessageRecord &r, qsizetype directionLength)
{
    if (!r.mText.startsWith(QLatin1String(" [Uplink]")))
        return false;
    r.mText = r.mText.size() >= 14 ? r.mText.mid(directionLength).chopped(1) : QString();
    return true;
}

bool isUplinkChunk(QByteArrayView chunk)
{
    return chunk.size() >= 9 && chunk.sliced(1, 8) == kUplinkMarker;
}

bool readUplinkTail(DecoderStream &stream, const QByteArray &directionChunk, QByteArrayView endWord,
                    MessageRecord &record, QByteArray &lastLine)
{
    QByteArray body = directionChunk;
    QByteArray line;
    lastLine.clear();
    while (!body.endsWith(endWord)) {
        if (!stream.readLine(line))
            return false;
        lastLine = line;
        if (line.startsWith(kDashes40))
            break;
        body += line;
    }
    record.mText = text(body);
    record.setUplink();
    record.mLabel.clear();
    record.mNo.clear();
    return true;
}

} // namespace corvane::FieldRules
