#pragma once

#include <QString>
#include <stdexcept>

namespace corvane
{

// A report that cannot be printed: a number for the kind of failure and a
// text naming the report file (and line, where there is one) and the reason.
class ReportError : public std::runtime_error
{
public:
    enum Number {
        FileNotFound = 1,
        FileMalformed = 2,
        ParameterMissing = 3,
        QueryRefused = 4,
        OutputFailed = 5,
        Cancelled = 6,
    };

    ReportError(Number number, const QString &text)
        : std::runtime_error(text.toStdString()), m_number(number), m_text(text)
    {
    }
    Number number() const { return m_number; }
    const QString &text() const { return m_text; }

private:
    Number m_number;
    QString m_text;
};

} // namespace corvane
