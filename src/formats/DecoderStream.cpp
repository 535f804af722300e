#include "DecoderStream.h"

#include "store/OpenStoreFiles.h"

#include <cstring>

namespace corvane
{

bool DecoderStream::openFile(const QString &path, QString *error)
{
    close();
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    m_sourceSize = m_file.size();
    m_sourceDone = false;
    return true;
}

void DecoderStream::openText(const QByteArray &text)
{
    close();
    m_sourceSize = text.size();
    appendNormalised(text.constData(), text.size());
    m_sourceDone = true;
}

void DecoderStream::close()
{
    if (m_file.isOpen())
        m_file.close();
    m_buf.clear();
    m_pos = 0;
    m_consumedBefore = 0;
    m_sourceSize = 0;
    m_sourceDone = true;
    m_lastByte = 0;
}

void DecoderStream::appendNormalised(const char *data, qsizetype size)
{
    const char *p = data;
    const char *end = data + size;
    while (p < end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        if (!lf) {
            m_buf.append(p, end - p);
            break;
        }
        m_buf.append(p, lf - p);
        const char before = lf > p ? lf[-1] : (lf > data ? lf[-1] : m_lastByte);
        if (before != '\r')
            m_buf.append('\r');
        m_buf.append('\n');
        p = lf + 1;
    }
    if (size > 0)
        m_lastByte = data[size - 1];
}

void DecoderStream::compact()
{
    if (m_pos == 0)
        return;
    m_consumedBefore += m_pos;
    m_buf.remove(0, m_pos);
    m_pos = 0;
}

bool DecoderStream::fill()
{
    if (m_sourceDone)
        return false;
    compact();
    QByteArray block(kBlockSize, Qt::Uninitialized);
    const qint64 got = m_file.read(block.data(), kBlockSize);
    if (got <= 0) {
        m_sourceDone = true;
        m_file.close();
        return false;
    }
    appendNormalised(block.constData(), got);
    return true;
}

bool DecoderStream::ensure(qsizetype n)
{
    while (available() < n)
        if (!fill())
            return false;
    return true;
}

bool DecoderStream::atEnd()
{
    return !ensure(1);
}

bool DecoderStream::read(qsizetype n, QByteArray &out)
{
    if (!ensure(n)) {
        out = m_buf.mid(m_pos);
        m_pos = m_buf.size();
        return false;
    }
    // Into the caller's buffer: a reader that keeps its buffers between
    // records reads its fields without allocating.
    out.resize(n);
    std::memcpy(out.data(), m_buf.constData() + m_pos, size_t(n));
    m_pos += n;
    return true;
}

bool DecoderStream::skip(qsizetype n)
{
    if (!ensure(n)) {
        m_pos = m_buf.size();
        return false;
    }
    m_pos += n;
    return true;
}

bool DecoderStream::findMarker(QByteArrayView marker)
{
    for (;;) {
        const qsizetype at = QByteArrayView(m_buf).sliced(m_pos).indexOf(marker);
        if (at >= 0) {
            m_pos += at + marker.size();
            return true;
        }
        // Keep the tail that may hold the start of a marker cut by the block end.
        m_pos = std::max(m_pos, m_buf.size() - (marker.size() - 1));
        if (!fill()) {
            m_pos = m_buf.size();
            return false;
        }
    }
}

bool DecoderStream::readUntil(QByteArrayView suffix, QByteArray &out)
{
    out.resize(0);
    for (;;) {
        const qsizetype at = QByteArrayView(m_buf).sliced(m_pos).indexOf(suffix);
        if (at >= 0) {
            out.append(m_buf.constData() + m_pos, at);
            m_pos += at + suffix.size();
            return true;
        }
        const qsizetype keep = std::min(available(), suffix.size() - 1);
        out.append(m_buf.constData() + m_pos, available() - keep);
        m_pos = m_buf.size() - keep;
        if (!fill()) {
            out.append(m_buf.constData() + m_pos, available());
            m_pos = m_buf.size();
            return false;
        }
    }
}

bool DecoderStream::readThrough(char c, QByteArray &out)
{
    out.clear();
    for (;;) {
        const char *start = m_buf.constData() + m_pos;
        const void *hit = std::memchr(start, c, size_t(available()));
        if (hit) {
            const qsizetype n = static_cast<const char *>(hit) - start + 1;
            out.append(start, n);
            m_pos += n;
            return true;
        }
        out.append(start, available());
        m_pos = m_buf.size();
        if (!fill())
            return false;
    }
}

bool DecoderStream::readLine(QByteArray &out)
{
    if (atEnd()) {
        out.clear();
        return false;
    }
    if (readThrough('\n', out)) {
        out.chop(out.endsWith("\r\n") ? 2 : 1);
        return true;
    }
    // The last line of the text, without a line break.
    return true;
}

} // namespace corvane
