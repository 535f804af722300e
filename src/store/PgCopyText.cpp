#include "PgCopyText.h"

namespace corvane
{

void PgCopyText::separate()
{
    if (m_rowStarted)
        m_out += '\t';
    m_rowStarted = true;
}

void PgCopyText::text(const char *data, qsizetype size)
{
    separate();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        switch (c) {
        case '\0':
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '\t':
            m_out += "\\t";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        default:
            m_out += c;
        }
    }
}

void PgCopyText::number(qint64 value)
{
    separate();
    m_out += QByteArray::number(value);
}

void PgCopyText::real(double value)
{
    separate();
    // Seventeen digits read back as the same double.
    m_out += QByteArray::number(value, 'g', 17);
}

void PgCopyText::null()
{
    separate();
    m_out += "\\N";
}

void PgCopyText::endRow()
{
    m_out += '\n';
    m_rowStarted = false;
}

} // namespace corvane
