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
        "Fields in double quotes may hold commas and doubled quotes; a first line whose\n"
        "first field is \"registration\" or \"reg\" is a header and skipped.\n"
        "A registration already known is updated (its heard flag kept), others are added.\n"
        "--replace deletes every aircraft first (manually added ones too).\n"
        "A line with an empty registration or an unclosed quote is refused, named on\n"
        "stderr with its line number, and the others are loaded. Prints\n"
        "\"FILE: N added, N updated, N refused\"; exit status 1 when a line was refused.\n");
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
        for (const AircraftListLoad::Refusal &refusal : r.refusals)
            c.err << "corvane aircraft-import: " << file << ": refused " << refusal.text() << '\n';
        if (r.refused > qint64(r.refusals.size()))
            c.err << "corvane aircraft-import: " << file << ": "
                  << r.refused - qint64(r.refusals.size()) << " more lines refused\n";
        c.out << file << ": " << r.summary() << '\n';
        return r.refused > 0 ? ExitFailure : ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane aircraft-import: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
