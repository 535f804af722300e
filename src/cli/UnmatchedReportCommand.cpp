#include "UnmatchedReportCommand.h"

#include "reports/core/UnmatchedReport.h"
#include "store/OutputPathGuard.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString UnmatchedReportCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane report unmatched OUT [--data-dir DIR]\n\n"
        "Writes to OUT every heard registration that the aircraft table does not\n"
        "hold, one a line, and their count.\n");
}

int UnmatchedReportCommand::run(CliContext &c)
{
    if (c.args.size() != 1 || c.args.first().startsWith(QLatin1String("--"))) {
        c.err << "corvane report unmatched: name one output file\n" << usage();
        return ExitUsage;
    }
    const QString out = c.args.first();
    const QString refusal = OutputPathGuard(c.dataDir).refusal(out);
    if (!refusal.isEmpty()) {
        c.err << "corvane report unmatched: " << refusal << '\n';
        return ExitFailure;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        UnmatchedReport report(store);
        if (!report.write(out)) {
            c.err << "corvane report unmatched: " << out << ": " << report.errorText() << '\n';
            return ExitFailure;
        }
        c.out << UnmatchedReport::closingLine(report.unmatched()) << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane report unmatched: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
