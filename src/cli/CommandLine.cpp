#include "CommandLine.h"

#include "AircraftImportCommand.h"
#include "AlertsCommand.h"
#include "BackupCommand.h"
#include "CompactCommand.h"
#include "DeleteAllCommand.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "InfoCommand.h"
#include "LinkCommand.h"
#include "LiveCommand.h"
#include "ParseLiveCommand.h"
#include "RemoveDuplicatesCommand.h"
#include "ReportCommand.h"
#include "RoutesImportCommand.h"
#include "SearchCommand.h"
#include "StatsCommand.h"
#include "StoreCommand.h"
#include "TextFileCommand.h"
#include "settings/AppPaths.h"
#include "settings/Settings.h"
#include "store/ServerUrl.h"
#include "store/StoreError.h"

#include <QCoreApplication>

namespace corvane
{

namespace
{
QList<CliCommand *(*)()> &factories()
{
    static QList<CliCommand *(*)()> list = {
        []() -> CliCommand * { return new InfoCommand; },
        []() -> CliCommand * { return new LinkCommand; },
        []() -> CliCommand * { return new LiveCommand; },
        []() -> CliCommand * { return new ImportCommand; },
        []() -> CliCommand * { return new ParseLiveCommand; },
        []() -> CliCommand * { return new TextFileCommand; },
        []() -> CliCommand * { return new AircraftImportCommand; },
        []() -> CliCommand * { return new RoutesImportCommand; },
        []() -> CliCommand * { return new DeleteAllCommand; },
        []() -> CliCommand * { return new RemoveDuplicatesCommand; },
        []() -> CliCommand * { return new CompactCommand; },
        []() -> CliCommand * { return new AlertsCommand; },
        []() -> CliCommand * { return new BackupCommand; },
        []() -> CliCommand * { return new StatsCommand; },
        []() -> CliCommand * { return new ExportCommand; },
        []() -> CliCommand * { return new ReportCommand; },
        []() -> CliCommand * { return new SearchCommand; },
        []() -> CliCommand * { return new StoreCommand; },
    };
    return list;
}
} // namespace

CommandLine::CommandLine()
{
    for (auto make : factories())
        m_commands.emplace_back(make());
}

CommandLine::~CommandLine() = default;

QStringList CommandLine::commandNames()
{
    QStringList names;
    for (auto make : factories()) {
        std::unique_ptr<CliCommand> c(make());
        names << c->name();
    }
    return names;
}

CommandLine::Parsed CommandLine::parse(const QStringList &arguments)
{
    Parsed p;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= arguments.size()) {
                p.error = QStringLiteral("--data-dir needs a folder");
                return p;
            }
            p.dataDir = arguments[++i];
            p.dataDirGiven = true;
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            p.dataDir = a.mid(11);
            p.dataDirGiven = true;
        } else if (a == QLatin1String("--store")) {
            if (i + 1 >= arguments.size()) {
                p.error =
                    QStringLiteral("--store needs an address, or \"\" for the data folder's files");
                return p;
            }
            p.storeUrl = arguments[++i];
            p.storeUrlGiven = true;
        } else if (a.startsWith(QLatin1String("--store="))) {
            p.storeUrl = a.mid(8);
            p.storeUrlGiven = true;
        } else if (p.command.isEmpty() &&
                   (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            p.help = true;
        } else if (p.command.isEmpty() &&
                   (a == QLatin1String("--version") || a == QLatin1String("-v"))) {
            p.version = true;
        } else if (p.command.isEmpty() && !a.startsWith(u'-')) {
            p.command = a;
        } else if (p.command.isEmpty()) {
            // Options before the command are the window's (Qt's own, say).
            continue;
        } else {
            p.rest << a;
        }
    }
    // An empty folder name would quietly mean the executable's folder.
    if (p.dataDirGiven && p.dataDir.isEmpty())
        p.error = QStringLiteral("--data-dir needs a folder, not an empty name");
    else if (!p.dataDirGiven && qEnvironmentVariableIsSet("CORVANE_DATA_DIR") &&
             qEnvironmentVariableIsEmpty("CORVANE_DATA_DIR"))
        p.error = QStringLiteral("CORVANE_DATA_DIR is set but empty; name a folder or unset it");
    return p;
}

bool CommandLine::isHeadless(const QStringList &arguments)
{
    const Parsed p = parse(arguments);
    return !p.command.isEmpty() || p.help || p.version || !p.error.isEmpty();
}

bool CommandLine::needsPainting(const QStringList &arguments)
{
    const Parsed p = parse(arguments);
    for (auto make : factories()) {
        std::unique_ptr<CliCommand> c(make());
        if (c->name() == p.command)
            return c->paints();
    }
    return false;
}

CliCommand *CommandLine::find(const QString &name) const
{
    for (const auto &c : m_commands)
        if (c->name() == name)
            return c.get();
    return nullptr;
}

void CommandLine::printHelp(QTextStream &out) const
{
    out << "Usage: corvane [--data-dir DIR] [--store URL] [COMMAND] [OPTIONS]\n\n"
           "Without a command, opens the ACARS Corvane window.\n\n"
           "Commands:\n";
    for (const auto &c : m_commands)
        out << "  " << c->name().leftJustified(18) << c->summary() << '\n';
    out << "\nOptions:\n"
           "  --data-dir DIR  the application folder (databases and work files);\n"
           "                  CORVANE_DATA_DIR does the same, the option wins\n"
           "  --store URL     the store on a PostgreSQL server,\n"
           "                  postgresql://[USER@]HOST[:PORT]/DBNAME (default: the\n"
           "                  setting [Store] Url; \"\" or none: the data folder's files)\n"
           "  --help          this text; COMMAND --help tells about one command\n"
           "  --version       the version\n";
}

int CommandLine::run(const Parsed &parsed, QTextStream &out, QTextStream &err)
{
    if (!parsed.error.isEmpty()) {
        err << "corvane: " << parsed.error << '\n';
        return ExitUsage;
    }
    if (parsed.version && parsed.command.isEmpty()) {
        out << "ACARS Corvane " << QCoreApplication::applicationVersion() << '\n';
        return ExitOk;
    }
    if (parsed.help && parsed.command.isEmpty()) {
        printHelp(out);
        return ExitOk;
    }
    CliCommand *command = find(parsed.command);
    if (!command) {
        err << "corvane: unknown command \"" << parsed.command
            << "\". Commands: " << commandNames().join(QStringLiteral(", ")) << '\n';
        return ExitUsage;
    }
    if (parsed.rest.contains(QStringLiteral("--help")) ||
        parsed.rest.contains(QStringLiteral("-h"))) {
        out << command->usage();
        return ExitOk;
    }
    const QString folder = AppPaths::resolve(parsed.dataDir);
    CliContext context{parsed.rest, folder, out, err};
    context.storeUrl = parsed.storeUrlGiven ? parsed.storeUrl.trimmed() : Settings().storeUrl();
    if (!context.storeUrl.isEmpty()) {
        try {
            ServerUrl::parse(context.storeUrl);
        } catch (const StoreError &e) {
            err << "corvane: " << (parsed.storeUrlGiven ? "--store" : "the setting [Store] Url")
                << ": " << e.message() << '\n';
            return ExitUsage;
        }
        if (!command->worksOnServer()) {
            err << "corvane " << command->name()
                << ": works on the data folder's files only so far, and the store is on the "
                   "server "
                << ServerUrl::parse(context.storeUrl).display()
                << (parsed.storeUrlGiven ? " (--store)" : " (setting [Store] Url)")
                << "; give --store \"\" for the files\n";
            return ExitFailure;
        }
    }
    return command->run(context);
}

} // namespace corvane
