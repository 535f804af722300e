#include "ReportParameterField.h"

#include <QRegularExpression>

namespace corvane
{

namespace
{
const QLatin1String kCurrent(";TRUE");
} // namespace

QString ReportParameterField::dateLiteral(const QDate &date)
{
    return QStringLiteral("Date(%1,%2,%3)")
        .arg(date.year(), 4, 10, QChar(u'0'))
        .arg(date.month(), 2, 10, QChar(u'0'))
        .arg(date.day(), 2, 10, QChar(u'0'));
}

QString ReportParameterField::forDate(const QString &name, const QDate &date)
{
    return name + u';' + dateLiteral(date) + kCurrent;
}

QString ReportParameterField::forText(const QString &name, const QString &value)
{
    return name + u';' + value + kCurrent;
}

std::optional<QDate> ReportParameterField::parseDateLiteral(const QString &value)
{
    static const QRegularExpression literal(
        QStringLiteral("^Date\\((\\d{4}),(\\d{1,2}),(\\d{1,2})\\)$"));
    const auto m = literal.match(value);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<ReportParameterField> ReportParameterField::parse(const QString &field)
{
    // The value sits between the first ";" and the closing ";TRUE", so a
    // value may itself hold a ";".
    const qsizetype split = field.indexOf(u';');
    if (split <= 0 || !field.endsWith(kCurrent, Qt::CaseInsensitive) ||
        field.size() < split + kCurrent.size())
        return std::nullopt;
    ReportParameterField f;
    f.m_name = field.left(split);
    f.m_value = field.mid(split + 1, field.size() - split - 1 - kCurrent.size());
    if (f.m_value.startsWith(QLatin1String("Date("))) {
        f.m_date = parseDateLiteral(f.m_value);
        if (!f.m_date)
            return std::nullopt;
    }
    return f;
}

} // namespace corvane
