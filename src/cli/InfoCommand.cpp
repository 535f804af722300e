#include "InfoCommand.h"

#include "store/MessageTime.h"
#include "store/PgConnection.h"
#include "store/PgSchema.h"
#include "store/ServerUrl.h"
#include "store/Store.h"
#include "store/StoreError.h"
#include "store/StoreFigures.h"

#include <memory>

namespace corvane
{

QString InfoCommand::usage() const
{
    return QStringLiteral("Usage: corvane info [--data-dir DIR]\n\n"
                          "Prints one \"name: value\" line each for the application folder, the\n"
                          "database files, the counts of messages, heard pairs, heard aircraft,\n"
                          "aircraft and carriers, and the first and last message dates.\n");
}

int InfoCommand::run(CliContext &c)
{
    if (!c.args.isEmpty()) {
        c.err << "corvane info: unexpected argument \"" << c.args.first() << "\"\n" << usage();
        return ExitUsage;
    }
    try {
        Store store;
        PgConnection server;
        std::unique_ptr<StoreFigures> held;
        // Nothing is printed before the store is open: a failure is one line.
        if (c.storeUrl.isEmpty()) {
            store.openForReading(c.dataDir, c.storeProgress());
            c.warnOf(store);
            held = std::make_unique<StoreFigures>(store);
            c.out << "folder: " << c.dataDir << '\n'
                  << "acarslog: " << store.path(Schema::File::AcarsLog) << '\n'
                  << "routes: " << store.path(Schema::File::Routes) << '\n'
                  << "alerts: " << store.path(Schema::File::Alerts) << '\n';
        } else {
            const ServerUrl url = ServerUrl::parse(c.storeUrl);
            server.open(url);
            if (PgSchema::version(server) < 0)
                throw StoreError(QStringLiteral("%1 holds no store yet").arg(url.display()));
            held = std::make_unique<StoreFigures>(server);
            c.out << "folder: " << c.dataDir << '\n' << "server: " << url.display() << '\n';
        }
        StoreFigures &figures = *held;
        c.out << "messages: " << figures.messages() << '\n'
              << "heard pairs: " << figures.heardPairs() << '\n'
              << "heard aircraft: " << figures.heardAircraft() << '\n'
              << "aircraft: " << figures.aircraft() << '\n'
              << "carriers: " << figures.carriers() << '\n'
              << "first message: " << figures.firstMessageTime() << '\n'
              << "last message: " << figures.lastMessageTime() << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane info: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
