#include "ExportCommand.h"

#include "CommandArguments.h"
#include "browse/core/MessageCsvExport.h"
#include "store/OutputPathGuard.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString ExportCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane export --csv OUT [--raw] [--flight F | --reg R |\n"
        "                      --from YYYY-MM-DD --to YYYY-MM-DD] [--data-dir DIR]\n\n"
        "Writes the messages of the view to OUT as CSV (UTF-8, CR LF, a header row of\n"
        "the grid's column captions), in time order: all messages, one flight number,\n"
        "one registration, or the days from --from to --to (both included).\n"
        "A text that a spreadsheet would run as a formula (one beginning with \"=\", \"+\",\n"
        "\"-\", \"@\", a tab or a carriage return, plain numbers aside) is written with an\n"
        "apostrophe in front; --raw writes every text exactly as stored.\n");
}

int ExportCommand::run(CliContext &c)
{
    const auto usageError = [&](const QString &text) {
        c.err << "corvane export: " << text << '\n' << usage();
        return ExitUsage;
    };
    QStringList rest = c.args;
    const bool raw = rest.removeAll(QStringLiteral("--raw")) > 0;
    CommandArguments args(rest, {QStringLiteral("--csv"), QStringLiteral("--flight"),
                                 QStringLiteral("--reg"), QStringLiteral("--from"),
                                 QStringLiteral("--to")});
    if (!args.error().isEmpty())
        return usageError(args.error());
    if (!args.plain().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(args.plain().first()));
    const QString out = args.value(QStringLiteral("--csv"));
    if (out.isEmpty())
        return usageError(QStringLiteral("--csv OUT names the file to write"));
    const auto view = args.view();
    if (!view)
        return usageError(args.error());

    // Checked before the store is even opened: nothing may be written then.
    const QString refusal = OutputPathGuard(c.dataDir).refusal(out);
    if (!refusal.isEmpty()) {
        c.err << "corvane export: " << refusal << '\n';
        return ExitFailure;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        MessageCsvExport writer(store);
        writer.setRaw(raw);
        if (writer.write(*view, out) != MessageCsvExport::Result::Written) {
            c.err << "corvane export: " << out << ": " << writer.errorText() << '\n';
            return ExitFailure;
        }
        c.out << writer.rowsWritten() << " messages written to " << out << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane export: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
