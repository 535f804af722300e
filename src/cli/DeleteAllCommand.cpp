#include "DeleteAllCommand.h"

#include "store/Store.h"
#include "store/StoreCleanup.h"
#include "store/StoreError.h"

namespace corvane
{

QString DeleteAllCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane delete-all [--data-dir DIR] --yes\n\n"
        "Deletes every recorded message, the heard pairs, the heard aircraft and the list\n"
        "of imported logs, and clears every aircraft's heard flag. Aircraft, carriers,\n"
        "routes and alerts stay. This cannot be undone, hence --yes.\n"
        "Prints \"N messages deleted\".\n");
}

int DeleteAllCommand::run(CliContext &c)
{
    bool yes = false;
    for (const QString &a : c.args) {
        if (a != QLatin1String("--yes")) {
            c.err << "corvane delete-all: unexpected argument \"" << a << "\"\n" << usage();
            return ExitUsage;
        }
        yes = true;
    }
    if (!yes) {
        c.err << "corvane delete-all: this would delete every recorded message, the heard "
                 "pairs and the heard aircraft; give --yes to do so\n";
        return ExitUsage;
    }
    try {
        Store store;
        c.openStore(store);
        const qint64 deleted = StoreCleanup(store).deleteAllMessages();
        c.out << deleted << " messages deleted\n";
        return ExitOk;
    } catch (const StoreError &e) {
        c.err << "corvane delete-all: " << e.message() << '\n';
        return ExitFailure;
    }
}

} // namespace corvane
