#include "PgArray.h"

namespace corvane
{

void PgArray::separate()
{
    if (m_size++)
        m_items += ',';
}

void PgArray::add(const QByteArray &text)
{
    if (text.isNull()) {
        addNull();
        return;
    }
    separate();
    m_items += '"';
    for (const char c : text) {
        // The server's text cannot hold NUL; a decoder's stray NUL is dropped.
        if (c == '\0')
            continue;
        if (c == '"' || c == '\\')
            m_items += '\\';
        m_items += c;
    }
    m_items += '"';
}

void PgArray::add(qint64 number)
{
    separate();
    m_items += QByteArray::number(number);
}

void PgArray::addNull()
{
    separate();
    m_items += "NULL";
}

} // namespace corvane
