#include "DayRange.h"

#include <QRegularExpression>

namespace corvane
{

QString DayRange::midnight(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

std::optional<QDate> DayRange::parseDate(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace corvane
