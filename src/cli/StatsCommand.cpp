#include "StatsCommand.h"

#include "store/Store.h"
#include "store/StoreError.h"
#include "store/StoreStatistics.h"

#include <QDateTime>

namespace corvane
{

namespace
{

void printFigures(QTextStream &out, const StoreStatistics::Figures &f)
{
    const auto line = [&out](const char *name, const QString &value) {
        out << name << ':' << (value.isEmpty() ? QString() : ' ' + value) << '\n';
    };
    line("Total Records", QString::number(f.messages));
    line("Unique Aircraft/Flight No", QString::number(f.heardPairs));
    line("Unique Aircraft", QString::number(f.heardAircraft));
    line("Aircraft", QString::number(f.aircraft));
    line("Carriers", QString::number(f.carriers));
    line("First Record", f.firstDay);
    line("Last Record", f.lastDay);
}

// Labels and carrier codes are free text: quoted when they would break the row.
QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return '"' + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + '"';
}

void printCounts(QTextStream &out, const QString &by,
                 const std::vector<StoreStatistics::Count> &counts)
{
    out << by << ",messages\n";
    for (const StoreStatistics::Count &c : counts)
        out << csvField(c.key) << ',' << c.messages << '\n';
}

} // namespace

QString StatsCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane stats [--by hour|day|label|operator] [--data-dir DIR]\n\n"
        "Without --by, prints the figures of the Statistics tab as \"name: value\" lines.\n"
        "With --by, prints the counts of one traffic chart as CSV with a header row:\n"
        "  hour      messages per hour over the last 24 hours\n"
        "  day       messages per day over the last 30 days, today included\n"
        "  label     the ten most frequent labels of the last 30 days\n"
        "  operator  the ten most frequent operators of the last 30 days\n");
}

int StatsCommand::run(CliContext &c)
{
    QString by;
    QStringList args = c.args;
    if (args.size() == 2 && args.first() == QLatin1String("--by")) {
        by = args.last();
        args.clear();
    } else if (args.size() == 1 && args.first().startsWith(QLatin1String("--by="))) {
        by = args.first().mid(5);
        args.clear();
    }
    static const QStringList kKinds = {QStringLiteral("hour"), QStringLiteral("day"),
                                       QStringLiteral("label"), QStringLiteral("operator")};
    if (!args.isEmpty() || (!by.isNull() && !kKinds.contains(by))) {
        c.err << "corvane stats: unexpected argument \"" << c.args.join(' ') << "\"\n" << usage();
        return ExitUsage;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        StoreStatistics statistics(store);
        const QDateTime now = QDateTime::currentDateTime();
        if (by.isNull())
            printFigures(c.out, statistics.figures());
        else if (by == QLatin1String("hour"))
            printCounts(c.out, by, statistics.perHour(now));
        else if (by == QLatin1String("day"))
            printCounts(c.out, by, statistics.perDay(now.date()));
        else if (by == QLatin1String("label"))
            printCounts(c.out, by, statistics.topLabels(now.date()));
        else
            printCounts(c.out, by, statistics.topOperators(now.date()));
    } catch (const StoreError &e) {
        c.err << "corvane stats: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
