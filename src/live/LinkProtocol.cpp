#include "LinkProtocol.h"

#include "store/TextCodec.h"

namespace corvane::LinkProtocol
{

QByteArray request(const QString &application, const QString &topic, const QString &item)
{
    return "LINK " + TextCodec::encode(application + u'|' + topic + u'!' + item) + '\n';
}

std::optional<Request> parseRequest(const QByteArray &line)
{
    QByteArray l = line;
    if (l.endsWith('\r'))
        l.chop(1);
    if (!l.startsWith("LINK "))
        return std::nullopt;
    const QString names = TextCodec::decode(l.mid(5));
    const qsizetype bar = names.indexOf(u'|');
    const qsizetype bang = names.lastIndexOf(u'!');
    if (bar <= 0 || bang <= bar + 1 || bang == names.size() - 1)
        return std::nullopt;
    return Request{names.left(bar), names.mid(bar + 1, bang - bar - 1), names.mid(bang + 1)};
}

QByteArray accepted()
{
    return QByteArrayLiteral("OK\n");
}

QByteArray refused(const QString &reason)
{
    QString r = reason;
    r.replace(u'\n', u' ').replace(u'\r', u' ');
    return "ERR " + TextCodec::encode(r) + '\n';
}

QByteArray frame(const QString &value)
{
    const QByteArray bytes = TextCodec::encode(value);
    return QByteArray::number(bytes.size()) + '\n' + bytes;
}

void FrameReader::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    // Drop what has been taken before the buffer grows again.
    if (m_offset > 0 && m_offset >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(bytes);
}

FrameReader::Result FrameReader::next(QString *value)
{
    const qsizetype available = m_buffer.size() - m_offset;
    const qsizetype newline = m_buffer.indexOf('\n', m_offset);
    const qsizetype headerEnd = newline < 0 ? m_buffer.size() : newline;
    const qsizetype digits = headerEnd - m_offset;
    if (digits > kMaxLengthDigits)
        return Result::Malformed;
    for (qsizetype i = m_offset; i < headerEnd; ++i)
        if (m_buffer[i] < '0' || m_buffer[i] > '9')
            return Result::Malformed;
    if (newline < 0)
        return Result::NeedMore;
    if (digits == 0)
        return Result::Malformed;
    const qint64 length = QByteArrayView(m_buffer).sliced(m_offset, digits).toLongLong();
    if (length > kMaxValue)
        return Result::Malformed;
    if (available < digits + 1 + length)
        return Result::NeedMore;
    const qsizetype start = newline + 1;
    *value = TextCodec::decode(m_buffer.constData() + start, qsizetype(length));
    m_offset = start + qsizetype(length);
    if (m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    }
    return Result::Value;
}

} // namespace corvane::LinkProtocol
