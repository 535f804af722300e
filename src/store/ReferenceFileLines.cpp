#include "ReferenceFileLines.h"

#include "OpenStoreFiles.h"
#include "StoreError.h"
#include "TextCodec.h"

#include <QFile>
#include <QStringDecoder>

namespace corvane
{

ReferenceFileLines::ReferenceFileLines(const QString &path)
{
    if (const QString why = OpenStoreFiles::readRefusal(path); !why.isEmpty())
        throw StoreError(why);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    // Reference files are a few megabytes at most.
    m_bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StoreError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    // A spreadsheet's UTF-8 byte-order mark is no part of the first line.
    if (m_bytes.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

bool ReferenceFileLines::next(QString &line)
{
    if (m_pos >= m_bytes.size())
        return false;
    qsizetype end = m_bytes.indexOf('\n', m_pos);
    if (end < 0)
        end = m_bytes.size();
    qsizetype stop = end;
    if (stop > m_pos && m_bytes.at(stop - 1) == '\r')
        --stop;
    line = decode(QByteArray::fromRawData(m_bytes.constData() + m_pos, stop - m_pos));
    m_pos = end + 1;
    ++m_lineNumber;
    return true;
}

QString ReferenceFileLines::decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return TextCodec::decode(bytes);
}

} // namespace corvane
