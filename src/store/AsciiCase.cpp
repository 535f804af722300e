#include "AsciiCase.h"

namespace corvane
{

QByteArray AsciiCase::upper(QByteArray text)
{
    for (char &c : text)
        c = upper(c);
    return text;
}

QString AsciiCase::lower(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

} // namespace corvane
