#pragma once

#include <QByteArray>
#include <QString>

namespace corvane
{

// Decoder text is Windows-1252: one byte is one character, so the counted
// reads of the formats hold. Text written for decoders and editors uses the
// same code page.
class TextCodec
{
public:
    static QString decode(const char *data, qsizetype size);
    static QString decode(const QByteArray &bytes)
    {
        return decode(bytes.constData(), bytes.size());
    }
    // Characters outside the code page become "?".
    static QByteArray encode(const QString &text);
    static QChar toUnicode(unsigned char byte);
};

} // namespace corvane
