#include "CommandArguments.h"

#include "store/DayRange.h"

namespace corvane
{

CommandArguments::CommandArguments(const QStringList &args, const QStringList &valueOptions)
{
    for (qsizetype i = 0; i < args.size() && m_error.isEmpty(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            m_plain << arg;
        } else if (!valueOptions.contains(arg)) {
            m_error = QStringLiteral("unknown option \"%1\"").arg(arg);
        } else if (i + 1 >= args.size()) {
            m_error = QStringLiteral("%1 needs a value").arg(arg);
        } else {
            m_values.insert(arg, args[++i]);
        }
    }
}

std::optional<std::pair<QDate, QDate>> CommandArguments::days()
{
    const auto first = DayRange::parseDate(value(QStringLiteral("--from")));
    const auto last = DayRange::parseDate(value(QStringLiteral("--to")));
    if (!first || !last) {
        m_error = QStringLiteral("--from and --to need dates as YYYY-MM-DD");
        return std::nullopt;
    }
    if (*last < *first) {
        m_error = QStringLiteral("Date To must be later than Date From");
        return std::nullopt;
    }
    return std::make_pair(*first, *last);
}

std::optional<MessageView> CommandArguments::view()
{
    const bool flight = has(QStringLiteral("--flight"));
    const bool reg = has(QStringLiteral("--reg"));
    const bool dates = has(QStringLiteral("--from")) || has(QStringLiteral("--to"));
    if (int(flight) + int(reg) + int(dates) > 1) {
        m_error = QStringLiteral("choose one of --flight, --reg and --from/--to");
        return std::nullopt;
    }
    if (flight)
        return MessageView::byFlight(value(QStringLiteral("--flight")));
    if (reg)
        return MessageView::byRegistration(value(QStringLiteral("--reg")));
    if (!dates)
        return MessageView::all();
    const auto range = days();
    if (!range)
        return std::nullopt;
    return MessageView::byDate(range->first, range->second);
}

} // namespace corvane
