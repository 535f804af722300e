#include "RemoveDuplicatesCommand.h"

#include "CliStatus.h"
#include "store/MessageView.h"
#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"

namespace corvane
{

QString RemoveDuplicatesCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane remove-duplicates [--data-dir DIR] --yes\n\n"
        "Deletes every message but the earliest of each registration and flight pair\n"
        "(letter case aside); messages without a registration or flight stay. The heard\n"
        "pairs keep their counts. This cannot be undone, hence --yes.\n"
        "Prints \"N duplicate messages removed, N left\". \"corvane compact\" then gives\n"
        "the space back. Without --yes nothing is deleted: it prints\n"
        "\"N duplicate messages would be removed, N left\" and exits with status 2.\n");
}

int RemoveDuplicatesCommand::run(CliContext &c)
{
    bool yes = false;
    for (const QString &a : c.args) {
        if (a != QLatin1String("--yes")) {
            c.err << "corvane remove-duplicates: unexpected argument \"" << a << "\"\n" << usage();
            return ExitUsage;
        }
        yes = true;
    }
    try {
        Store store;
        // Counting only reads: a store that cannot be written is counted too.
        yes ? c.openStore(store) : c.openStoreForReading(store);
        CliStatus status(c.err);
        StoreCleanup cleanup(store);
        cleanup.setStatus([&](const QString &text) { status.showNow(text); });
        if (!yes) {
            const StoreCleanup::Duplicates r = cleanup.countDuplicates(MessageView::all());
            status.clear();
            c.out << r.removed << " duplicate messages would be removed, " << r.left << " left\n";
            c.err << "corvane remove-duplicates: this would delete every message but the earliest "
                     "of each registration and flight pair; give --yes to do so\n";
            return ExitUsage;
        }
        const StoreCleanup::Duplicates r = cleanup.removeDuplicates(MessageView::all());
        status.clear();
        c.out << r.removed << " duplicate messages removed, " << r.left << " left\n";
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane remove-duplicates: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
