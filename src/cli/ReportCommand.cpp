#include "ReportCommand.h"

#include "CommandArguments.h"
#include "TripLogCommand.h"
#include "UnmatchedReportCommand.h"
#include "reports/core/ReportLocator.h"
#include "reports/core/ReportParameterField.h"
#include "reports/render/ReportPrinter.h"
#include "settings/Settings.h"
#include "store/OutputPathGuard.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

namespace
{
// The text reports, each with its own arguments; a new one is one more line.
std::unique_ptr<CliCommand> (*const kTextReports[])() = {
    [] { return std::unique_ptr<CliCommand>(new TripLogCommand); },
    [] { return std::unique_ptr<CliCommand>(new UnmatchedReportCommand); },
};
} // namespace

std::unique_ptr<CliCommand> ReportCommand::find(const QString &name)
{
    for (auto make : kTextReports) {
        std::unique_ptr<CliCommand> report = make();
        if (report->name() == name)
            return report;
    }
    return nullptr;
}

QString ReportCommand::usage() const
{
    QString text = QStringLiteral(
        "Usage: corvane report NAME [--from YYYY-MM-DD --to YYYY-MM-DD | --flight F | --reg R]\n"
        "                           --pdf OUT [--data-dir DIR]\n\n"
        "Prints the report file NAME.rpt (for example allbydate or \"unique aircraft\") into\n"
        "the PDF file OUT. Report files are looked for in the application folder, then\n"
        "beside the executable, then in share/corvane/reports. --from and --to give\n"
        "whole days, both included; --flight and --reg one flight number or registration.\n");
    for (auto make : kTextReports)
        text += QLatin1Char('\n') + make()->usage();
    return text;
}

int ReportCommand::run(CliContext &c)
{
    if (c.args.isEmpty() || c.args.first().startsWith(QLatin1String("--"))) {
        c.err << "corvane report: no report named\n" << usage();
        return ExitUsage;
    }
    if (const std::unique_ptr<CliCommand> report = find(c.args.first())) {
        CliContext rest{c.args.mid(1), c.dataDir, c.out, c.err, c.storeUrl};
        return report->run(rest);
    }
    return runPrinted(c.args.first(), c);
}

int ReportCommand::runPrinted(const QString &reportName, CliContext &c)
{
    const auto usageError = [&](const QString &text) {
        c.err << "corvane report: " << text << '\n' << usage();
        return ExitUsage;
    };
    // An unknown report is named before its arguments are looked at.
    const ReportLocator locator = ReportLocator::forApplication(c.dataDir);
    const QString file = locator.find(reportName);
    if (file.isEmpty()) {
        c.err << "corvane report: unknown report \"" << reportName
              << "\"; reports: " << locator.names().join(QStringLiteral(", ")) << '\n';
        return ExitFailure;
    }
    CommandArguments args(c.args.mid(1), {QStringLiteral("--pdf"), QStringLiteral("--flight"),
                                          QStringLiteral("--reg"), QStringLiteral("--from"),
                                          QStringLiteral("--to")});
    if (!args.error().isEmpty())
        return usageError(args.error());
    if (!args.plain().isEmpty())
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(args.plain().first()));
    const QString out = args.value(QStringLiteral("--pdf"));
    if (out.isEmpty())
        return usageError(QStringLiteral("no output file given (--pdf OUT)"));
    const std::optional<MessageView> view = args.view();
    if (!view)
        return usageError(args.error());

    QStringList fields;
    switch (view->filter()) {
    case MessageView::Filter::DateRange:
        fields << ReportParameterField::forDate(QStringLiteral("DateFrom"), view->from())
               << ReportParameterField::forDate(QStringLiteral("DateTo"), view->to());
        break;
    case MessageView::Filter::Flight:
        fields << ReportParameterField::forText(QStringLiteral("Flight"), view->value());
        break;
    case MessageView::Filter::Registration:
        fields << ReportParameterField::forText(QStringLiteral("Reg"), view->value());
        break;
    case MessageView::Filter::All:
        break;
    }

    const QString refusal = OutputPathGuard(c.dataDir).refusal(out);
    if (!refusal.isEmpty()) {
        c.err << "corvane report: " << refusal << '\n';
        return ExitFailure;
    }
    try {
        Store store;
        c.openStoreForReading(store);
        ReportPrinter printer(c.dataDir, store.serverDisplay());
        printer.setStatementTimeout(Settings().reportStatementTimeout());
        for (qsizetype i = 0; i < fields.size(); ++i)
            printer.setParameterField(int(i), fields[i]);
        printer.setReportFile(file);
        const int pages = printer.printToPdf(out);
        printer.clearParameterFields();
        if (pages == 0) {
            c.err << "corvane report: " << printer.lastErrorText() << '\n';
            return ExitFailure;
        }
        c.out << pages << (pages == 1 ? " page" : " pages") << " written to " << out << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane report: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
