// A store on a PostgreSQL server:
//   bench_pg [N | --store DIR] [--url URL]
// Copies a realistic store (bench_generate's, N messages, default 1,000,000)
// to the server and back with corvane store copy's code, and reports rows a
// second each way against the floor of the same rows copied between two
// SQLite stores in this run. Then four recording stations (processes) record
// 50,000 messages each of one traffic (the same registrations and flights)
// into the copied store at once, beside one station alone. Last, an import
// of 1,000,000 messages of that traffic into a new server database through
// the server recorder, against the same messages recorded into new SQLite
// files (the floor). Without --url it starts a throwaway server of its own
// (PostgreSQL's server programs must be installed); with --url the database
// must be empty, and the import is left out (it needs a second database).
//   bench_pg --store DIR --url URL --search
// only compares the search, on a server that already holds a copy of DIR's
// store (corvane store copy --to URL): ten million messages take minutes to
// copy, and a search reads the same either way.
#include "BenchStoreFolder.h"
#include "BenchSupport.h"
#include "MessageStream.h"
#include "TrafficModel.h"
#include "store/MessageRecorder.h"
#include "store/MessageSearch.h"
#include "store/MessageSearchIndex.h"
#include "store/MessageView.h"
#include "store/PgConnection.h"
#include "store/PgSchema.h"
#include "store/SchemaDeclarations.h"
#include "store/ServerRecorder.h"
#include "store/ServerSearch.h"
#include "store/ServerUrl.h"
#include "store/SqliteDb.h"
#include "store/Store.h"
#include "store/StoreCopy.h"
#include "store/StoreError.h"
#include "support/ThrowawayServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace corvane;

namespace
{

QStringList withoutUrl(QStringList arguments, QString &url)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--url"));
    if (at >= 0 && at + 1 < arguments.size()) {
        url = arguments[at + 1];
        arguments.remove(at, 2);
    }
    return arguments;
}

// The same rows between two SQLite stores, table by table with their
// rowids, and the search index built afresh, as the copy from the server does.
double sqliteFloor(Store &source, const QString &to)
{
    Store target;
    target.open(to);
    return bench::secondsOf([&] {
        for (Schema::File file : Schema::kFiles) {
            SqliteDb &db = target.db(file);
            db.exec(QStringLiteral("ATTACH '%1' AS source")
                        .arg(source.path(file))
                        .toUtf8()
                        .constData());
            SqliteTransaction t(db);
            for (const TableDeclaration &table :
                 SchemaDeclarations::tablesAt(file, Schema::kCurrentVersion)) {
                QByteArray columns = SchemaDeclarations::hasImplicitRowId(table) ? "rowid" : "";
                for (const ColumnDeclaration &c : table.columns)
                    columns +=
                        (columns.isEmpty() ? "" : ", ") + SchemaDeclarations::identifier(c.name);
                const QByteArray name = SchemaDeclarations::identifier(table.name);
                db.exec(("DELETE FROM main." + name).constData());
                db.exec(("INSERT INTO main." + name + " (" + columns + ") SELECT " + columns +
                         " FROM source." + name)
                            .constData());
            }
            if (file == Schema::File::AcarsLog)
                MessageSearchIndex::fill(db, {});
            t.commit();
            db.exec("DETACH source");
        }
    });
}

constexpr int kStationMessages = 50000;
// A server set up for a store of millions of messages, as the README advises:
// the default 128 MB of shared buffers leaves the indexes' pages to the
// system's cache, which costs recording about a fifth of its rate at 1,000,000.
const QString kServerSettings = QStringLiteral("-c shared_buffers=2GB");
constexpr qint64 kFirstHits = 500;

// One station: records its share of the traffic into the store at url.
int recordAsStation(const QString &url, std::uint64_t seed)
{
    PgConnection db;
    db.open(ServerUrl::parse(url));
    ServerRecorder recorder(db);
    bench::TrafficModel model{1, {}};
    bench::MessageStream::Options options;
    options.messages = kStationMessages;
    options.seed = seed;
    bench::MessageStream stream(model, options);
    while (stream.next())
        recorder.storeMessage(bench::toRecord(stream.message()), nullptr);
    recorder.commitBatch();
    return 0;
}

constexpr qint64 kImportMessages = 1000000;

// Records the generated traffic as an import does; messages a second.
double importRate(Recorder &recorder)
{
    bench::TrafficModel model{1, {}};
    bench::MessageStream::Options options;
    options.messages = kImportMessages;
    options.seed = 7;
    bench::MessageStream stream(model, options);
    return kImportMessages / bench::secondsOf([&] {
               Recorder::BulkScope bulk(recorder);
               while (stream.next())
                   recorder.storeMessage(bench::toRecord(stream.message()), nullptr);
               recorder.commitBatch();
               recorder.refreshHeard();
           });
}

void compareImport(const QString &url, const QString &scratch)
{
    PgConnection db;
    db.open(ServerUrl::parse(url));
    PgSchema::ensure(db);
    ServerRecorder onServer(db);
    const double server = importRate(onServer);
    Store files;
    files.open(scratch);
    MessageRecorder inFiles(files);
    const double sqlite = importRate(inFiles);
    std::printf("import of %lld messages (load %s)\n", kImportMessages,
                qPrintable(bench::loadAverage()));
    std::printf("  into a new server store %9.0f messages/s\n", server);
    std::printf("  floor: into new SQLite files %9.0f messages/s (ratio %.2f)\n", sqlite,
                sqlite / server);
}

// The median of five runs after a first, cold one.
double medianSeconds(const std::function<void()> &run)
{
    std::vector<double> runs;
    for (int i = 0; i <= 5; ++i) {
        const double t = bench::secondsOf(run);
        if (i > 0)
            runs.push_back(t);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// The first 500 hits on the server and in the files, as the grid reads them.
void compareSearch(Store &files, PgConnection &db, const QString &text)
{
    size_t hits = 0;
    const double server =
        medianSeconds([&] { hits = ServerSearch::find(db, text, kFirstHits).size(); });
    const double sqlite = medianSeconds(
        [&] { MessageSearch::find(files, MessageView::all().withSearch(text), kFirstHits); });
    std::printf("  \"%s\": %zu hits, server %.3f s, files %.3f s (ratio %.2f)\n", qPrintable(text),
                hits, server, sqlite, server / sqlite);
}

// Texts of every frequency: a 0.1 % word, a 1 % three-character text, a
// token in a handful of messages, and one in none.
const QStringList kSearchTexts = {QStringLiteral("VHHH/STA"), QStringLiteral("RWY"),
                                  QStringLiteral("1721/09"), QStringLiteral("N51W")};

int compareSearchOnly(const QString &dir, const QString &url)
{
    PgConnection db;
    db.open(ServerUrl::parse(url));
    Store files;
    files.openForReading(dir);
    std::printf("search, first %lld hits (median of five after a cold run; load %s)\n", kFirstHits,
                qPrintable(bench::loadAverage()));
    for (const QString &text : kSearchTexts)
        compareSearch(files, db, text);
    return 0;
}

// Messages a second of this many stations recording at once.
double stationsRate(const QString &url, int stations)
{
    std::vector<std::unique_ptr<QProcess>> running;
    const double seconds = bench::secondsOf([&] {
        for (int i = 0; i < stations; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--station"), url, QString::number(100 + i)});
            running.push_back(std::move(p));
        }
        for (auto &p : running)
            p->waitForFinished(-1);
    });
    for (auto &p : running)
        if (p->exitCode() != 0)
            throw StoreError(QStringLiteral("a station failed"));
    return stations * kStationMessages / seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--station")) {
        try {
            return recordAsStation(app.arguments().value(2),
                                   app.arguments().value(3).toULongLong());
        } catch (const StoreError &e) {
            std::fprintf(stderr, "bench_pg station: %s\n", qPrintable(e.message()));
            return 1;
        }
    }
    QString url;
    QStringList arguments = withoutUrl(app.arguments().mid(1), url);
    const bool searchOnly = arguments.removeAll(QStringLiteral("--search")) > 0;
    try {
        if (searchOnly) {
            if (url.isEmpty() || arguments.value(0) != QLatin1String("--store")) {
                std::fprintf(stderr, "bench_pg: --search needs --store DIR and --url URL\n");
                return 2;
            }
            return compareSearchOnly(arguments.value(1), url);
        }
        bench::BenchStoreFolder folder(arguments, 1000000);
        std::unique_ptr<test::ThrowawayServer> server;
        if (url.isEmpty()) {
            server = std::make_unique<test::ThrowawayServer>(kServerSettings);
            if (!server->isRunning()) {
                std::fprintf(stderr, "bench_pg: %s\n", qPrintable(server->whyNot()));
                return 1;
            }
            url = server->newDatabase();
        }
        PgConnection db;
        db.open(ServerUrl::parse(url));
        Store source;
        source.openForReading(folder.path());
        qint64 rows = 0;
        const double there = bench::secondsOf([&] {
            StoreCopy copy(source);
            copy.toServer(db);
            rows = copy.rowsCopied();
        });
        Store back;
        back.open(folder.scratch(QStringLiteral("back")));
        const double home = bench::secondsOf([&] { StoreCopy(back).fromServer(db); });
        const double floor = sqliteFloor(source, folder.scratch(QStringLiteral("floor")));
        std::printf("store copy of %lld rows (load %s)\n", rows, qPrintable(bench::loadAverage()));
        std::printf("  to the server   %8.1f s  %9.0f rows/s\n", there, rows / there);
        std::printf("  from the server %8.1f s  %9.0f rows/s\n", home, rows / home);
        std::printf("  floor: the same rows between two SQLite stores %.1f s\n", floor);
        std::printf("  ratios to the floor: to %.2f, from %.2f\n", there / floor, home / floor);
        std::printf("  peak memory %.0f MB\n", bench::peakMemoryMB());
        std::printf("search, first %lld hits (median of five after a cold run)\n", kFirstHits);
        for (const QString &text : kSearchTexts)
            compareSearch(source, db, text);
        const double alone = stationsRate(url, 1);
        const double four = stationsRate(url, 4);
        std::printf("recording into that store (load %s)\n", qPrintable(bench::loadAverage()));
        std::printf("  one station          %9.0f messages/s\n", alone);
        std::printf("  four stations at once %8.0f messages/s together (%.2f times one alone)\n",
                    four, four / alone);
        if (server)
            compareImport(server->newDatabase(), folder.scratch(QStringLiteral("import")));
    } catch (const StoreError &e) {
        std::fprintf(stderr, "bench_pg: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
