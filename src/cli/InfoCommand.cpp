#include "InfoCommand.h"

#include "store/MessageTime.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreError.h"

namespace corvane
{

QString InfoCommand::usage() const
{
    return QStringLiteral("Usage: corvane info [--data-dir DIR]\n\n"
                          "Prints one \"name: value\" line each for the application folder, the\n"
                          "database files, the counts of messages, heard pairs, heard aircraft,\n"
                          "aircraft and carriers, and the first and last message dates.\n");
}

namespace
{
QString scalar(SqliteDb &db, const char *sql)
{
    SqliteStatement st(db, sql);
    return st.step() && !st.isNull(0) ? st.text(0) : QString();
}
} // namespace

int InfoCommand::run(CliContext &c)
{
    if (!c.args.isEmpty()) {
        c.err << "corvane info: unexpected argument \"" << c.args.first() << "\"\n" << usage();
        return ExitUsage;
    }
    try {
        Store store;
        store.open(c.dataDir);
        SqliteDb &db = store.acarsLog();
        c.out << "folder: " << c.dataDir << '\n'
              << "acarslog: " << store.path(Schema::File::AcarsLog) << '\n'
              << "routes: " << store.path(Schema::File::Routes) << '\n'
              << "alerts: " << store.path(Schema::File::Alerts) << '\n'
              << "messages: " << scalar(db, "SELECT count(*) FROM tMessage") << '\n'
              << "heard pairs: " << scalar(db, "SELECT count(*) FROM ACARSLOG") << '\n'
              << "heard aircraft: " << scalar(db, "SELECT count(*) FROM UniqueAircraft") << '\n'
              << "aircraft: " << scalar(db, "SELECT count(*) FROM AIRCRAFT") << '\n'
              << "carriers: " << scalar(db, "SELECT count(*) FROM CARRIERS") << '\n'
              << "first message: " << scalar(db, "SELECT min(mTime) FROM tMessage") << '\n'
              << "last message: " << scalar(db, "SELECT max(mTime) FROM tMessage") << '\n';
    } catch (const StoreError &e) {
        c.err << "corvane info: " << e.message() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace corvane
