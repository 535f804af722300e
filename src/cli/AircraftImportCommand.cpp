#include "AircraftImportCommand.h"

#include "CliStatus.h"
#include "FileLoadArguments.h"
#include "store/AircraftListLoad.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString AircraftImportCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane aircraft-import [--data-dir DIR] FILE [--replace]\n\n"
        "Loads an aircraft list: one aircraft a line, \"registration,carrier,type,serial\".\n"
        "A registration already known is updated (its heard flag kept), others are added.\n"
        "--replace deletes every aircraft first (manually added ones too).\n"
        "Prints \"FILE: N added, N updated\".\n");
}

int AircraftImportCommand::run(CliContext &c)
{
    FileLoadArguments args;
    if (!args.parse(c, *this, "aircraft"))
        return ExitUsage;
    const QString &file = args.file;
    try {
        Store store;
        c.openStore(store);
        CliStatus status(c.err);
        AircraftListLoad load(store);
        load.setReplace(args.replace);
        load.setProgress(
            [&](qint64 line) { status.show(QStringLiteral("Processing record %1").arg(line)); });
        const AircraftListLoad::Result r = load.load(file);
        status.clear();
        c.out << file << ": " << r.added << " added, " << r.updated << " updated\n";
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane aircraft-import: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
