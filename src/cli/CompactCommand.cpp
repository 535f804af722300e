#include "CompactCommand.h"

#include "CliStatus.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"

namespace corvane
{

QString CompactCommand::usage() const
{
    return QStringLiteral("Usage: corvane compact [--data-dir DIR]\n\n"
                          "Rewrites the message store without the space of deleted rows, as\n"
                          "is worth doing after delete-all or remove-duplicates. Needs free\n"
                          "disk space of about the store's size while it runs.\n"
                          "Prints \"FILE: N bytes before, N bytes after\".\n");
}

int CompactCommand::run(CliContext &c)
{
    if (!c.args.isEmpty()) {
        c.err << "corvane compact: unexpected argument \"" << c.args.first() << "\"\n" << usage();
        return ExitUsage;
    }
    try {
        Store store;
        c.openStore(store);
        if (!StoreCleanup(store).needsCompacting()) {
            c.out << store.serverDisplay()
                  << ": the server reuses the space of deleted messages by itself; nothing to "
                     "compact\n";
            return ExitOk;
        }
        CliStatus status(c.err);
        StoreCleanup cleanup(store);
        cleanup.setStatus([&](const QString &text) { status.showNow(text); });
        const StoreCleanup::Compaction sizes = cleanup.compact();
        status.clear();
        c.out << store.path(Schema::File::AcarsLog) << ": " << sizes.bytesBefore
              << " bytes before, " << sizes.bytesAfter << " bytes after\n";
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane compact: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
