#include "StoreCommand.h"

#include "store/PgConnection.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreCopy.h"
#include "store/StoreError.h"

namespace corvane
{

QString StoreCommand::usage() const
{
    return QStringLiteral(
        "Usage: corvane store copy (--to URL | --from URL) [--data-dir DIR]\n\n"
        "Copies the whole store between the SQLite files of the data folder and a\n"
        "PostgreSQL database, URL being postgresql://[USER@]HOST[:PORT]/DBNAME.\n"
        "--to fills an empty database on the server (its tables are made when\n"
        "missing); --from fills the data folder's store, which must be empty. The\n"
        "label meanings a new store starts with are replaced by the source's. All or\n"
        "nothing: a failure or an interruption leaves the target as it was.\n"
        "Passwords come from ~/.pgpass (or PGPASSFILE) or PGPASSWORD, never from the\n"
        "address; TLS is used whenever the server offers it.\n");
}

int StoreCommand::run(CliContext &c)
{
    const QStringList &a = c.args;
    const bool to = a.size() == 3 && a[1] == QLatin1String("--to");
    const bool from = a.size() == 3 && a[1] == QLatin1String("--from");
    if (a.value(0) != QLatin1String("copy") || !(to || from)) {
        c.err << "corvane store: give copy --to URL or copy --from URL\n" << usage();
        return ExitUsage;
    }
    try {
        PgConnection server;
        server.open(ServerUrl::parse(a[2]));
        Store store;
        if (to) {
            store.openForReading(c.dataDir, c.storeProgress());
            c.warnOf(store);
        } else
            store.open(c.dataDir, c.storeProgress());
        StoreCopy copy(store);
        int shown = -1;
        const auto progress = [&](const QString &table, qint64 done, qint64 total) {
            const int percent = total > 0 ? int(done * 100 / total) : 100;
            if (percent != shown) {
                c.err << "\rcopying " << table << ": " << percent << "%      ";
                c.err.flush();
                shown = percent;
            }
            return true;
        };
        if (to)
            copy.toServer(server, progress);
        else
            copy.fromServer(server, progress);
        c.err << '\n';
        c.out << "copied " << copy.rowsCopied() << " rows of " << copy.tablesCopied() << " tables "
              << (to ? "to " : "from ") << server.url().display() << '\n';
    } catch (const StoreError &e) {
        c.err << "\ncorvane store copy: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
