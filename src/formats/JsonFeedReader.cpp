#include "JsonFeedReader.h"

#include "DecoderStream.h"

#include <QStringList>

#include <limits>

namespace corvane
{

bool JsonFeedReader::readMore(DecoderStream &s)
{
    m_pending.clear();
    m_next = 0;
    if (m_framing == Framing::Lines) {
        if (!s.readLine(m_buffer))
            return false;
    } else {
        if (s.atEnd())
            return false;
        s.read(std::numeric_limits<qsizetype>::max() / 2, m_buffer); // the rest of the text
    }
    m_objects.read(m_buffer.constData(), size_t(m_buffer.size()), m_pending);
    return true;
}

QString JsonFeedReader::refusalAfterRead() const
{
    QStringList names;
    for (FeedDecoder d : m_objects.lookalikes())
        names << FeedDecoders::name(d);
    if (names.isEmpty())
        return {};
    return QStringLiteral("This is not a %1 log file: it looks like %2 output. Choose that "
                          "decoder in Options and import it again.")
        .arg(FeedDecoders::name(m_objects.decoder()), names.join(QStringLiteral(" or ")));
}

ReadOutcome JsonFeedReader::readRecord(DecoderStream &s, MessageRecord &record)
{
    while (m_next >= m_pending.size())
        if (!readMore(s))
            return ReadOutcome::EndOfText;
    FeedItem &item = m_pending[m_next++];
    record = std::move(item.record);
    return item.outcome;
}

} // namespace corvane
