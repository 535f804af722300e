#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace corvane
{

// A range of whole days as the store compares it: from 00:00:00 of the
// first day, included, to 00:00:00 of the day after the last, excluded. A
// message stamped exactly at a midnight belongs to the day it starts.
class DayRange
{
public:
    DayRange(const QDate &first, const QDate &last) : m_first(first), m_last(last) {}
    static DayRange day(const QDate &date) { return DayRange(date, date); }

    QDate first() const { return m_first; }
    QDate last() const { return m_last; }

    // The bounds as stored time text, "YYYY-MM-DD 00:00:00": start <= t < end.
    QString startText() const { return midnight(m_first); }
    QString endText() const { return midnight(m_last.addDays(1)); }

    static QString midnight(const QDate &day);
    // A whole date written YYYY-MM-DD and nothing else; empty otherwise.
    static std::optional<QDate> parseDate(const QString &text);

private:
    QDate m_first;
    QDate m_last;
};

} // namespace corvane
