#include "TextFileCommand.h"

#include "browse/core/MessageTextFile.h"
#include "store/DayRange.h"
#include "store/OutputPathGuard.h"
#include "store/Store.h"
#include "store/StoreError.h"

#include <QDate>

namespace corvane
{

QString TextFileCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane text-file OUT [--flight F | --reg R | --from YYYY-MM-DD --to YYYY-MM-DD]\n"
        "                             [--data-dir DIR]\n\n"
        "Writes the registration, flight, aircraft type and route of every message in\n"
        "the view to OUT, in time order: all messages, one flight number, one\n"
        "registration, or the days from --from to --to (both included).\n");
}

int TextFileCommand::run(CliContext &c)
{
    const auto usageError = [&](const QString &text) {
        c.err << "corvane text-file: " << text << '\n' << usage();
        return ExitUsage;
    };

    QString out, flight, reg, from, to;
    bool hasFlight = false, hasReg = false;
    for (qsizetype i = 0; i < c.args.size(); ++i) {
        const QString &arg = c.args[i];
        const auto next = [&](QString &target) {
            if (i + 1 >= c.args.size())
                return false;
            target = c.args[++i];
            return true;
        };
        bool ok = true;
        if (arg == QLatin1String("--flight"))
            ok = hasFlight = next(flight);
        else if (arg == QLatin1String("--reg"))
            ok = hasReg = next(reg);
        else if (arg == QLatin1String("--from"))
            ok = next(from);
        else if (arg == QLatin1String("--to"))
            ok = next(to);
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        else if (out.isEmpty())
            out = arg;
        else
            return usageError(QStringLiteral("unexpected argument \"%1\"").arg(arg));
        if (!ok)
            return usageError(QStringLiteral("%1 needs a value").arg(arg));
    }
    if (out.isEmpty())
        return usageError(QStringLiteral("no output file given"));
    const bool hasDates = !from.isEmpty() || !to.isEmpty();
    if (int(hasFlight) + int(hasReg) + int(hasDates) > 1)
        return usageError(QStringLiteral("choose one of --flight, --reg and --from/--to"));

    MessageView view = MessageView::all();
    if (hasFlight) {
        view = MessageView::byFlight(flight);
    } else if (hasReg) {
        view = MessageView::byRegistration(reg);
    } else if (hasDates) {
        const auto first = DayRange::parseDate(from);
        const auto last = DayRange::parseDate(to);
        if (!first || !last)
            return usageError(QStringLiteral("--from and --to need dates as YYYY-MM-DD"));
        if (*last < *first)
            return usageError(QStringLiteral("Date To must be later than Date From"));
        view = MessageView::byDate(*first, *last);
    }

    // Checked before the store is even opened: nothing may be written then.
    const QString refusal = OutputPathGuard(c.dataDir).refusal(out);
    if (!refusal.isEmpty()) {
        c.err << "corvane text-file: " << refusal << '\n';
        return ExitFailure;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        MessageTextFile writer(store);
        if (writer.write(view, out) != MessageTextFile::Result::Written) {
            c.err << "corvane text-file: " << out << ": " << writer.errorText() << '\n';
            return ExitFailure;
        }
        c.out << writer.rowsWritten() << " messages written to " << out << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane text-file: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
