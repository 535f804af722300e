#pragma once

#include <QDate>

namespace corvane
{

// The process-wide day range of the "By Date" filter, set only by the date
// picker and read by the filter and the reports. It starts at the zero
// date, 30 December 1899, and is not saved.
struct DateRange {
    QDate from = zeroDate();
    QDate to = zeroDate();

    static QDate zeroDate() { return QDate(1899, 12, 30); }
    static DateRange &current();
};

} // namespace corvane
