#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace corvane
{

// One parameter field as the Reports menu hands it to the printer:
// "Name;Value;TRUE", where a date value is written Date(YYYY,MM,DD) and
// ";TRUE" makes the value the current one.
class ReportParameterField
{
public:
    static QString dateLiteral(const QDate &date);
    static QString forDate(const QString &name, const QDate &date);
    static QString forText(const QString &name, const QString &value);

    // Reads a field; nullopt for a text that is not one (an empty text
    // included: that is a cleared field).
    static std::optional<ReportParameterField> parse(const QString &field);

    const QString &name() const { return m_name; }
    const QString &value() const { return m_value; }
    // Set when the value is a date literal.
    const std::optional<QDate> &date() const { return m_date; }

private:
    static std::optional<QDate> parseDateLiteral(const QString &value);

    QString m_name;
    QString m_value;
    std::optional<QDate> m_date;
};

} // namespace corvane
