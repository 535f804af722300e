#pragma once

#include "ReportParameterField.h"

#include <QList>
#include <QPair>
#include <QString>

namespace corvane
{

// The parameter fields of one printing, read into what the report's query
// binds: a date as the day rule's bound ("DateFrom" the first day's
// midnight, "DateTo" the midnight after the last day, so a query reads
// mTime >= :DateFrom AND mTime < :DateTo), any other value as its text.
class ReportParameters
{
public:
    // Throws ReportError (ParameterMissing) for a field that does not read.
    static ReportParameters fromFields(const QStringList &fields);

    // Name and bound text of each parameter, in field order.
    const QList<QPair<QString, QString>> &bindings() const { return m_bindings; }
    // The bound text of a parameter; nullptr when none is set.
    const QString *find(const QString &name) const;
    // What the report was asked for, for its page header: "07/12/2026 to
    // 08/12/2026", "Flight BA0123", "Registration G-ABCD", or empty.
    QString selection() const;

private:
    QList<QPair<QString, QString>> m_bindings;
    QList<ReportParameterField> m_fields;
};

} // namespace corvane
