#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace corvane
{

// Rows in the text form of COPY ... FROM STDIN: tabs between fields, \N for
// NULL, the backslash, tab, line feed and carriage return escaped. The
// server's text cannot hold NUL, so a stray NUL is dropped.
class PgCopyText
{
public:
    explicit PgCopyText(QByteArray &out) : m_out(out) {}

    void text(const char *data, qsizetype size);
    // A null QByteArray is written as the empty text, as the recorder stores it.
    void text(const QByteArray &utf8) { text(utf8.constData(), utf8.size()); }
    void number(qint64 value);
    void real(double value);
    void null();
    void endRow();

private:
    void separate();

    QByteArray &m_out;
    bool m_rowStarted = false;
};

} // namespace corvane
