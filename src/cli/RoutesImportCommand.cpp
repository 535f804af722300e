#include "RoutesImportCommand.h"

#include "CliStatus.h"
#include "FileLoadArguments.h"
#include "store/RouteFileLoad.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString RoutesImportCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane routes-import [--data-dir DIR] FILE [--replace]\n\n"
        "Loads a Brellwick route file (routes.bwd): \"FLIGHT=ROUTE\" lines, \"!\" comments.\n"
        "Without --replace a flight that already has a route keeps it; with it every\n"
        "route is deleted first. Prints \"FILE: N added, N kept\". A malformed line stops\n"
        "the load with exit status 1; the routes before it are kept.\n");
}

int RoutesImportCommand::run(CliContext &c)
{
    FileLoadArguments args;
    if (!args.parse(c, *this, "route"))
        return ExitUsage;
    const QString &file = args.file;
    try {
        Store store;
        c.openStore(store);
        CliStatus status(c.err);
        RouteFileLoad load(store);
        load.setReplace(args.replace);
        load.setProgress(
            [&](qint64 n) { status.show(QStringLiteral("Adding routes: %1").arg(n)); });
        const RouteFileLoad::Result r = load.load(file);
        status.clear();
        c.out << file << ": " << r.added << " added, " << r.kept << " kept\n";
        if (r.malformedLine > 0) {
            c.err << RouteFileLoad::malformedText(r.malformedLine) << '\n';
            return ExitFailure;
        }
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane routes-import: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
