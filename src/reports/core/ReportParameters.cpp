#include "ReportParameters.h"

#include "ReportError.h"
#include "store/DayRange.h"

namespace corvane
{

ReportParameters ReportParameters::fromFields(const QStringList &fields)
{
    ReportParameters p;
    for (const QString &text : fields) {
        if (text.isEmpty())
            continue; // a cleared field
        const auto field = ReportParameterField::parse(text);
        if (!field)
            throw ReportError(ReportError::ParameterMissing,
                              QStringLiteral("The parameter field \"%1\" does not read as "
                                             "Name;Value;TRUE")
                                  .arg(text));
        QString bound = field->value();
        if (field->date()) {
            const bool isEnd =
                field->name().compare(QLatin1String("DateTo"), Qt::CaseInsensitive) == 0;
            bound = DayRange::midnight(isEnd ? field->date()->addDays(1) : *field->date());
        }
        p.m_bindings.append({field->name(), bound});
        p.m_fields.append(*field);
    }
    return p;
}

const QString *ReportParameters::find(const QString &name) const
{
    for (const auto &b : m_bindings)
        if (b.first.compare(name, Qt::CaseInsensitive) == 0)
            return &b.second;
    return nullptr;
}

QString ReportParameters::selection() const
{
    QStringList parts;
    QString from, to;
    for (const ReportParameterField &f : m_fields) {
        const QString shown =
            f.date() ? f.date()->toString(QStringLiteral("dd/MM/yyyy")) : f.value();
        if (f.name().compare(QLatin1String("DateFrom"), Qt::CaseInsensitive) == 0)
            from = shown;
        else if (f.name().compare(QLatin1String("DateTo"), Qt::CaseInsensitive) == 0)
            to = shown;
        else if (f.name().compare(QLatin1String("Reg"), Qt::CaseInsensitive) == 0)
            parts << QStringLiteral("Registration ") + shown;
        else
            parts << f.name() + u' ' + shown;
    }
    if (!from.isEmpty() || !to.isEmpty())
        parts.prepend(QStringLiteral("%1 to %2").arg(from, to));
    return parts.join(QStringLiteral(", "));
}

} // namespace corvane
