#include "TripLogCommand.h"

#include "CommandArguments.h"
#include "reports/core/TripLog.h"
#include "settings/Settings.h"
#include "store/DayRange.h"
#include "store/OutputPathGuard.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString TripLogCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane report trip-log --from YYYY-MM-DD --to YYYY-MM-DD [OUT]\n"
        "                               [--data-dir DIR]\n\n"
        "Writes every registration heard from --from to --to (both days included)\n"
        "to OUT, once each, one a line. Without OUT, writes to the trip log file of\n"
        "the settings (TripLog.txt in the home folder unless chosen in Options).\n");
}

int TripLogCommand::run(CliContext &c)
{
    const auto usageError = [&](const QString &text) {
        c.err << "corvane report trip-log: " << text << '\n' << usage();
        return ExitUsage;
    };
    CommandArguments args(c.args, {QStringLiteral("--from"), QStringLiteral("--to")});
    if (!args.error().isEmpty())
        return usageError(args.error());
    if (args.plain().size() > 1)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(args.plain().at(1)));
    const auto days = args.days();
    if (!days)
        return usageError(args.error());
    const QString out = args.plain().isEmpty() ? Settings().tripLogPath() : args.plain().first();

    const QString refusal = OutputPathGuard(c.dataDir).refusal(out);
    if (!refusal.isEmpty()) {
        c.err << "corvane report trip-log: " << refusal << '\n';
        return ExitFailure;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        TripLog log(store);
        if (!log.write(DayRange(days->first, days->second), out)) {
            c.err << "corvane report trip-log: " << out << ": " << log.errorText() << '\n';
            return ExitFailure;
        }
        c.out << log.registrationsWritten() << " registrations written to " << out << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane report trip-log: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
